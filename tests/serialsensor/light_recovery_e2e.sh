#!/usr/bin/env bash
# The signal light's line cut and back mid-run: the real console with the sensor emulator on COM14
# (a target standing in the field, so the target lamp stays lit and nothing would be sent) and the
# light on COM47 played by the Modbus slave. The slave and its port pair are killed (the far end
# closes, as when the light's USB adapter is pulled): the status right of the title says the light
# does not answer and the run's event log says it was lost; the interface keeps answering. Then
# the pair and the slave are started again: within 5 s the new slave gets the target lamp, the
# status no longer names the light and the event log says it is back. Stop still closes it.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../e2e_lib.sh"
for tool in socat g++ cc pkg-config xdotool; do
  command -v $tool >/dev/null || e2e_fail "$tool is not installed"
done

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START); IDC_LABEL=$(e2e_id IDC_STATIC_TARGET)
IDC_STATUS=1005
work=$(mktemp -d /tmp/rova_light_e2e.XXXXXX)
port=14
source "$here/../emulator_line.sh"
light_port=47
source "$here/../light_line.sh"
fail() { e2e_fail "$@"; }
trap 'e2e_cleanup; stop_line; stop_light_line; rm -rf "$work"' EXIT
build_emulator
build_modbus_slave

now_ms() { date +%s%3N; }
# Polls the slave's log until it holds a line matching <regex>; prints when (ms).
wait_coil() {
  for _ in $(seq 1 $(( $2 * 50 ))); do
    grep -qE "$1" "$coils" 2>/dev/null && { now_ms; return 0; }
    sleep 0.02
  done
  return 1
}
# Polls the status text until it matches (or, with "!", no longer matches) <pattern>.
wait_status() {
  local negate=0 pattern=$1 seconds=$2 status
  [ "$pattern" = "!" ] && { negate=1; pattern=$2; seconds=$3; }
  for _ in $(seq 1 $(( seconds * 5 ))); do
    status=$(e2e_probe text $IDC_STATUS)
    if echo "$status" | grep -q -- "$pattern"; then [ $negate = 0 ] && return 0; else [ $negate = 1 ] && return 0; fi
    sleep 0.2
  done
  return 1
}

start_line
start_emulator "$work/sensor.log" --tracks --fixed "3.0,10,-0.5" --fps 20
start_light_line "$work/coils1.log"
e2e_prepare_folder
ini="$E2E_DIR/Radar_Config.ini"
sed -i -e 's/^AlgorithmOnMcu=.*/AlgorithmOnMcu=10/' -e 's/^LightPort=.*/LightPort=47/' "$ini"
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" ObjectCountType="1" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"
e2e_click_control $IDC_DETECT || e2e_fail "Detect Device not found"
e2e_wait_dialog_matching "Detected" 20 >/dev/null || e2e_fail "no detection message: $(e2e_probe dialogs)"
e2e_click_dialog_button 1 || e2e_fail "the detection message has no OK button"
e2e_wait_state $IDC_START "1 1 0" 15 || e2e_fail "Start not enabled after the detection"
e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start is not checked during the run"
wait_coil '^WRITE_COIL 0 ON' 10 >/dev/null || e2e_fail "the target lamp never lit: $(cat "$coils")"
events=$(ls "$E2E_DIR"/Log/ROVA_MTT_Link_*.txt 2>/dev/null | head -1)
[ -n "$events" ] || e2e_fail "no event log in Log/: $(ls "$E2E_DIR/Log")"
status=$(e2e_probe text $IDC_STATUS)
echo "status with the light answering: $status"
case "$status" in *"Signal light"*) e2e_fail "the status names a light that answers: $status" ;; esac

# --- The light's line cut: the far end closes.
sleep 1
stop_light_line
cut=$(now_ms)
wait_status "Signal light COM47 does not answer" 6 || e2e_fail "the status does not say the light is lost: $(e2e_probe text $IDC_STATUS)"
echo "light lost in the status after $(( $(now_ms) - cut )) ms: $(e2e_probe text $IDC_STATUS)"
grep -q "signal light COM47 lost: no answer" "$events" || e2e_fail "the event log does not say the light was lost: $(cat "$events")"
# The interface goes on while the light is tried again: the label still follows the target.
e2e_probe text $IDC_LABEL | grep -Eq 'distance: *[0-9]+\.[0-9]{2}' || e2e_fail "the label stopped: $(e2e_probe text $IDC_LABEL)"
e2e_wait_state $IDC_START "1 1 1" 2 || e2e_fail "the Start button does not answer while the light is lost"
sleep 3

# --- The line back: the light gets the lamp of the target again.
start_light_line "$work/coils2.log"
back=$(now_ms)
lit=$(wait_coil '^WRITE_COIL 0 ON' 8) || e2e_fail "no target lamp after the light came back: $(cat "$coils")"
echo "target lamp $(( lit - back )) ms after the light came back"
[ $(( lit - back )) -le 5000 ] || e2e_fail "the target lamp came $(( lit - back )) ms after the light was back"
grep -vE '^READY|^WRITE_COIL [0-3] (ON|OFF) ' "$coils" && e2e_fail "the slave saw other frames: $(cat "$coils")"
wait_status ! "Signal light" 5 || e2e_fail "the status still names the light: $(e2e_probe text $IDC_STATUS)"
for _ in $(seq 1 25); do grep -q "signal light COM47 back" "$events" && break; sleep 0.2; done
grep -q "signal light COM47 back" "$events" || e2e_fail "the event log does not say the light is back: $(cat "$events")"

# --- Stop: the lamp off and the closing frame reach the light before the port closes.
e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "the run did not stop"
wait_coil '^WRITE_COIL 3 OFF' 3 >/dev/null || e2e_fail "no closing frame at Stop: $(cat "$coils")"
[ "$(grep -v '^READY' "$coils" | tail -2 | cut -d' ' -f1-3 | tr '\n' ' ')" = "WRITE_COIL 0 OFF WRITE_COIL 3 OFF " ] ||
  e2e_fail "Stop did not turn the target lamp off before the closing frame: $(cat "$coils")"
echo "--- event log"
cat "$events"
e2e_pass
