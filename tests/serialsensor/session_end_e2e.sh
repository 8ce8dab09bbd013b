#!/usr/bin/env bash
# A logoff in the middle of a run: the real console with the sensor emulator on COM12 and the
# signal light on COM45 played by the Modbus slave gets what Windows sends (WM_QUERYENDSESSION,
# then WM_ENDSESSION) and is then ended without a last word, as Windows ends it. By then the light
# is off, the sensor was told to stop, the result file holds whole lines and the settings changed
# during the session are saved.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../e2e_lib.sh"
for tool in socat g++ cc pkg-config xdotool; do
  command -v $tool >/dev/null || e2e_fail "$tool is not installed"
done

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START)
IDC_SAVEDATA=$(e2e_id IDC_BTN_SAVE_DATA)
work=$(mktemp -d /tmp/rova_session_e2e.XXXXXX)
port=12
source "$here/../emulator_line.sh"
light_port=45
source "$here/../light_line.sh"
fail() { e2e_fail "$@"; }
trap 'e2e_cleanup; stop_line; stop_light_line; rm -rf "$work"' EXIT
build_emulator
build_modbus_slave

start_light_line "$work/coils.log"

coils_after() { grep -v '^READY' "$coils" | tail -n +"$(( $1 + 1 ))" | grep -E "$2"; }
coil_count() { grep -vc '^READY' "$coils"; }

start_line
start_emulator "$work/sensor.log" --tracks --targets 2 --fps 15
e2e_prepare_folder
ini="$E2E_DIR/Radar_Config.ini"
sed -i -e 's/^AlgorithmOnMcu=.*/AlgorithmOnMcu=10/' -e 's/^LightPort=.*/LightPort=45/' "$ini"
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" SaveData="0" ObjectCountType="1" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"
e2e_click_control $IDC_DETECT || e2e_fail "Detect Device not found"
e2e_wait_dialog_matching "Detected" 20 >/dev/null || e2e_fail "no detection message: $(e2e_probe dialogs)"
e2e_click_dialog_button 1 || e2e_fail "the detection message has no OK button"
e2e_wait_state $IDC_START "1 1 0" 15 || e2e_fail "Start not enabled after the detection"
# A setting changed in this session, saved only when the console ends well.
e2e_click_control $IDC_SAVEDATA || e2e_fail "Save Data not found"
e2e_wait_state $IDC_SAVEDATA "1 1 1" 10 || e2e_fail "Save Data not on"
e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start is not checked during the run"
for _ in $(seq 1 100); do coils_after 0 '^WRITE_COIL 0 ON' >/dev/null && break; sleep 0.1; done
coils_after 0 '^WRITE_COIL 0 ON' >/dev/null || e2e_fail "the target lamp never lit: $(cat "$coils")"
sleep 2

skip=$(coil_count)
sensor_lines=$(wc -l < "$work/sensor.log")
answer=$(e2e_probe endsession)
echo "session end: $answer"
[ "${answer%% *}" = granted ] || e2e_fail "the console did not let the session end: $answer"
# Windows ends the process once WM_ENDSESSION is answered.
pids=()
for pid in $(pgrep -f "ROVA_MTT.exe" 2>/dev/null); do
  [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$E2E_DIR" ] && pids+=("$pid")
done
[ ${#pids[@]} -gt 0 ] || e2e_fail "no console process found"
kill -9 "${pids[@]}"
e2e_wait_exit 10 || e2e_fail "the console outlived its kill"

sleep 0.5
# Every coil the console wrote ends off.
lit=$(grep '^WRITE_COIL' "$coils" | awk '{ state[$2] = $3 } END { for (c in state) if (state[c] == "ON") print c }')
[ -z "$lit" ] || e2e_fail "coils $lit are still on after the session end: $(coils_after "$skip" .)"
coils_after "$skip" 'OFF' >/dev/null || e2e_fail "the light was not switched off: $(coils_after "$skip" .)"
tail -n +"$(( sensor_lines + 1 ))" "$work/sensor.log" | grep -q '^STOP' ||
  e2e_fail "the sensor was not told to stop: $(tail -n +"$(( sensor_lines + 1 ))" "$work/sensor.log" | grep -v '^FRAME' | head)"
result=$(ls "$E2E_DIR"/Log/ROVA_MTT_Result_*.txt 2>/dev/null | head -1)
[ -s "$result" ] || e2e_fail "no result lines: $(ls "$E2E_DIR/Log")"
bad=$(grep -cvP '^\[\d\d:\d\d:\d\d\.\d{3}\], -?\d+, -?\d+\.\d\d, -?\d+\.\d\d, -?\d+\.\d\d\r$' "$result" || true)
[ "$bad" -eq 0 ] || e2e_fail "$bad result lines are not whole"
[ "$(tail -c 2 "$result" | od -An -c | tr -d ' ')" = '\r\n' ] || e2e_fail "the result file ends inside a line"
grep -q 'SaveData="1"' "$E2E_DIR/appConfig.xml" || e2e_fail "the settings were not saved: $(cat "$E2E_DIR/appConfig.xml")"
e2e_pass
