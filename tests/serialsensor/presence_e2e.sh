#!/usr/bin/env bash
# People walk out of the field: the real console with the sensor emulator on COM10 (three people
# walking, the module's tracks) and the signal light on COM44 played by the Modbus slave. Mid-run
# the emulator is started again on an empty scene (it goes on streaming frames): within 4 s the
# label shows no target and the slave sees the target lamp off and the no-target lamp on. The same
# in multi-target mode for its three labels.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../e2e_lib.sh"
for tool in socat g++ cc pkg-config xdotool; do
  command -v $tool >/dev/null || e2e_fail "$tool is not installed"
done

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START); IDC_MODE=$(e2e_id IDC_BTN_MODE_SWITCH)
IDC_LABEL=$(e2e_id IDC_STATIC_TARGET); IDC_LABEL1=$(e2e_id IDC_STATIC_TARGET1)
IDC_LABEL2=$(e2e_id IDC_STATIC_TARGET2); IDC_LABEL3=$(e2e_id IDC_STATIC_TARGET3)
work=$(mktemp -d /tmp/rova_presence_e2e.XXXXXX)
port=10
source "$here/../emulator_line.sh"
light_port=44
source "$here/../light_line.sh"
fail() { e2e_fail "$@"; }
trap 'e2e_cleanup; stop_line; stop_light_line; rm -rf "$work"' EXIT
build_emulator
build_modbus_slave

start_light_line "$work/coils.log"

now_ms() { date +%s%3N; }
label_distance() {
  e2e_probe text "$1" | grep -Eo 'distance: *[0-9]+\.[0-9]{2}' | grep -Eo '[0-9]+\.[0-9]{2}' | head -1
}
label_has_target() { awk -v d="$(label_distance "$1")" 'BEGIN { exit !(d > 0) }'; }
label_empty() { [ "$(label_distance "$1")" = "0.00" ]; }
# Waits up to <seconds> until every label of the list holds a target.
wait_labels_hold() {
  local seconds=$1 id ok; shift
  for _ in $(seq 1 $(( seconds * 4 ))); do
    ok=1
    for id in "$@"; do label_has_target "$id" || { ok=0; break; }; done
    [ $ok = 1 ] && return 0
    sleep 0.25
  done
  return 1
}
# Lines of the slave's log after line <skip> matching <regex>.
coils_after() { grep -v '^READY' "$coils" | tail -n +"$(( $1 + 1 ))" | grep -E "$2"; }
coil_count() { grep -vc '^READY' "$coils"; }
# The scene empties: the emulator is started again at once (the link never goes stale) on an
# empty scene; then every label of the list must show no target within 4 s, and the slave the
# target lamp off followed by the no-target lamp on.
scene_empties() {
  local mode=$1 skip start empty_at="" id all
  shift
  skip=$(coil_count)
  kill "$emu_pid" 2>/dev/null; wait "$emu_pid" 2>/dev/null; emu_pid=""
  start_emulator "$work/sensor.log" --tracks --targets 0 --stream --fps 15
  start=$(now_ms)
  for _ in $(seq 1 60); do
    all=1
    for id in "$@"; do label_empty "$id" || { all=0; break; }; done
    if [ $all = 1 ]; then empty_at=$(now_ms); break; fi
    sleep 0.1
  done
  [ -n "$empty_at" ] || e2e_fail "$mode: the labels still show a target 6 s after the scene emptied: $(for id in "$@"; do e2e_probe text "$id"; done)"
  echo "$mode: labels empty after $(( empty_at - start )) ms"
  [ $(( empty_at - start )) -le 4000 ] || e2e_fail "$mode: the labels emptied only after $(( empty_at - start )) ms"
  local lamp_at=""
  for _ in $(seq 1 60); do
    if coils_after "$skip" '^WRITE_COIL 2 ON' >/dev/null; then lamp_at=$(now_ms); break; fi
    sleep 0.1
  done
  [ -n "$lamp_at" ] || e2e_fail "$mode: no no-target lamp after the scene emptied: $(coils_after "$skip" .)"
  echo "$mode: no-target lamp after at most $(( lamp_at - start )) ms"
  [ $(( lamp_at - start )) -le 4000 ] || e2e_fail "$mode: the no-target lamp came only after $(( lamp_at - start )) ms"
  [ "$(coils_after "$skip" . | head -2 | cut -d' ' -f1-3 | tr '\n' ' ')" = "WRITE_COIL 0 OFF WRITE_COIL 2 ON " ] ||
    e2e_fail "$mode: the light did not go from the target lamp to the no-target lamp: $(coils_after "$skip" .)"
}

start_line
start_emulator "$work/sensor.log" --tracks --targets 3 --fps 15
e2e_prepare_folder
ini="$E2E_DIR/Radar_Config.ini"
sed -i -e 's/^AlgorithmOnMcu=.*/AlgorithmOnMcu=10/' -e 's/^LightPort=.*/LightPort=44/' "$ini"
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" ObjectCountType="1" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"
e2e_click_control $IDC_DETECT || e2e_fail "Detect Device not found"
e2e_wait_dialog_matching "Detected" 20 >/dev/null || e2e_fail "no detection message: $(e2e_probe dialogs)"
e2e_click_dialog_button 1 || e2e_fail "the detection message has no OK button"
e2e_wait_state $IDC_START "1 1 0" 15 || e2e_fail "Start not enabled after the detection"
e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start is not checked during the run"

# --- Single-target mode.
wait_labels_hold 10 $IDC_LABEL || e2e_fail "the label never showed a walking target: $(e2e_probe text $IDC_LABEL)"
for _ in $(seq 1 50); do coils_after 0 '^WRITE_COIL 0 ON' >/dev/null && break; sleep 0.1; done
coils_after 0 '^WRITE_COIL 0 ON' >/dev/null || e2e_fail "the target lamp never lit: $(cat "$coils")"
scene_empties single $IDC_LABEL

# --- Multi-target mode: three people again, then the empty scene. The light's log is marked
# before they come back: their lamp may be written before the labels show them all.
skip=$(coil_count)
kill "$emu_pid" 2>/dev/null; wait "$emu_pid" 2>/dev/null; emu_pid=""
start_emulator "$work/sensor.log" --tracks --targets 3 --stream --fps 15
e2e_click_control $IDC_MODE || e2e_fail "Mode Switch not found"
e2e_wait_state $IDC_LABEL1 "1 1 0" 10 || e2e_fail "the multi-target labels did not show"
wait_labels_hold 15 $IDC_LABEL1 $IDC_LABEL2 $IDC_LABEL3 ||
  e2e_fail "the three labels never all showed a target: $(e2e_probe text $IDC_LABEL1) / $(e2e_probe text $IDC_LABEL2) / $(e2e_probe text $IDC_LABEL3)"
for _ in $(seq 1 50); do coils_after "$skip" '^WRITE_COIL 0 ON' >/dev/null && break; sleep 0.1; done
coils_after "$skip" '^WRITE_COIL 0 ON' >/dev/null || e2e_fail "the target lamp did not light in multi-target mode: $(coils_after "$skip" .)"
scene_empties multi $IDC_LABEL1 $IDC_LABEL2 $IDC_LABEL3

e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "the run did not stop"
e2e_pass
