#!/usr/bin/env bash
# Back by itself: the real console with the sensor emulator on COM16.
#   - the operator detects the sensor once and ticks "Start monitoring when the console starts" in
#     Parameter Setting (Ctrl+F2): appConfig.xml keeps the setting and the port;
#   - a fresh console with the emulator attached streams from it within 10 s, without a click and
#     without any box;
#   - a fresh console with the sensor absent for 20 s (10 s without its port, 10 s with the port
#     but nobody answering) says it waits for COM16, tries again and again, shows no box, and
#     streams within 10 s of the emulator's start;
#   - the operator's Stop while it waits ends the waiting: the sensor's return starts nothing;
#   - the console's event log under Log\ tells each of these.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../e2e_lib.sh"
for tool in socat g++ xdotool; do
  command -v $tool >/dev/null || e2e_fail "$tool is not installed"
done

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START)
IDC_STATUS=$(e2e_id IDC_STATIC_LINK_STATUS); IDC_AUTO=$(e2e_id IDC_CHECK_AUTO_START)
work=$(mktemp -d /tmp/rova_autostart_e2e.XXXXXX)
port=16
source "$here/../emulator_line.sh"
emu_e2e_setup

now_ms() { date +%s%3N; }
status() { e2e_probe text "$IDC_STATUS"; }
streaming() { status | grep -Eq "^COM$port +[0-9.]+ fps"; }
# Waits up to <seconds> for the status to say the run streams; prints the milliseconds it took.
wait_streaming() {
  local from=$1 seconds=$2
  for _ in $(seq 1 $(( seconds * 5 ))); do
    if streaming; then echo $(( $(now_ms) - from )); return 0; fi
    sleep 0.2
  done
  return 1
}
no_dialogs() {
  local shown
  shown=$(e2e_probe dialogs)
  [ -z "$shown" ] || e2e_fail "$1: a window waits for a click: $shown"
}
waiting_attempt() { status | sed -nE "s/^Waiting for the sensor on COM$port \.\.\. \(attempt ([0-9]+)\)$/\1/p"; }
console_log() { cat "$E2E_DIR"/Log/ROVA_MTT_Console_*.txt 2>/dev/null; }
close_console() {
  e2e_key alt+F4
  e2e_wait_exit 15 || e2e_fail "Alt+F4 did not end the console"
}

# ---- once: the operator's set-up ---------------------------------------------------------------
start_line
start_emulator "$work/sensor.log" --tracks --targets 2 --fps 15
e2e_prepare_folder
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"
e2e_click_control "$IDC_DETECT" || e2e_fail "Detect Device not found"
e2e_wait_dialog_matching "Detected" 20 >/dev/null || e2e_fail "no detection message: $(e2e_probe dialogs)"
e2e_click_dialog_button 1 || e2e_fail "the detection message has no OK button"
e2e_wait_state "$IDC_START" "1 1 0" 15 || e2e_fail "Start not enabled after the detection"
grep -q 'LastDevicePort="COM16"' "$E2E_DIR/appConfig.xml" ||
  e2e_fail "the detected sensor is not remembered: $(cat "$E2E_DIR/appConfig.xml")"
grep -q 'AutoStart="1"' "$E2E_DIR/appConfig.xml" && e2e_fail "monitoring at start is on before anyone chose it"
e2e_key ctrl+F2
e2e_wait_dialog_matching "Parameter Setting" 10 >/dev/null || e2e_fail "Ctrl+F2 opened no dialog: $(e2e_probe dialogs)"
e2e_click_dialog_button "$IDC_AUTO" || e2e_fail "no check box for monitoring at start"
e2e_click_dialog_button 1 || e2e_fail "Parameter Setting has no Save button"
grep -q 'AutoStart="1"' "$E2E_DIR/appConfig.xml" || e2e_fail "Save did not keep the setting: $(cat "$E2E_DIR/appConfig.xml")"
close_console
grep -q 'LastSourceType="1"' "$E2E_DIR/appConfig.xml" && grep -q 'LastDeviceValue="16"' "$E2E_DIR/appConfig.xml" ||
  e2e_fail "the remembered source is not whole: $(cat "$E2E_DIR/appConfig.xml")"

# ---- a fresh console with the sensor attached -------------------------------------------------
starts=$(grep -c '^START' "$work/sensor.log")
from=$(now_ms)
e2e_start_console
took=$(wait_streaming "$from" 10) || e2e_fail "no stream within 10 s of the start: status '$(status)', $(e2e_probe dialogs)"
echo "fresh console streams after $took ms"
no_dialogs "started with the sensor attached"
e2e_wait_state "$IDC_START" "1 1 1" 5 || e2e_fail "Start does not show the run"
[ "$(grep -c '^START' "$work/sensor.log")" -gt "$starts" ] || e2e_fail "the sensor was never told to start"
close_console
console_log | grep -q "auto-start: run started on COM16 (attempt 1)" || e2e_fail "the event log lacks the start: $(console_log)"

# ---- a fresh console with the sensor absent for 20 s ------------------------------------------
stop_line
rm -f "$E2E_DIR"/Log/ROVA_MTT_Console_*.txt
e2e_start_console
e2e_wait_window || e2e_fail "no main window without the sensor"
first=""
for _ in $(seq 1 50); do first=$(waiting_attempt); [ -n "$first" ] && break; sleep 0.2; done
[ -n "$first" ] || e2e_fail "the status does not say it waits for the sensor: '$(status)'"
e2e_wait_state "$IDC_START" "1 1 1" 5 || e2e_fail "Start is not on while waiting"
sleep 10
no_dialogs "port absent"
second=$(waiting_attempt)
[ -n "$second" ] && [ "$second" -gt "$first" ] || e2e_fail "no retries without the port: attempt $first, then '$(status)'"
start_line   # the port is back, nobody answers on it yet
sleep 10
no_dialogs "port without a sensor"
third=$(waiting_attempt)
[ -n "$third" ] && [ "$third" -gt "$second" ] || e2e_fail "no retries on a silent port: attempt $second, then '$(status)'"
echo "waiting: attempt $first, $second after 10 s, $third after 20 s"
from=$(now_ms)
start_emulator "$work/sensor.log" --tracks --targets 2 --fps 15
took=$(wait_streaming "$from" 10) || e2e_fail "no stream within 10 s of the sensor's return: status '$(status)'"
echo "streams $took ms after the sensor came back"
no_dialogs "the sensor came back"
close_console
log=$(console_log)
grep -q "auto-start: COM16 does not answer (attempt 1)" <<<"$log" || e2e_fail "the event log lacks the absent sensor: $log"
grep -q "auto-start: run started on COM16" <<<"$log" || e2e_fail "the event log lacks the late start: $log"
[ "$(grep -c 'does not answer' <<<"$log")" -le 3 ] || e2e_fail "the event log repeats every attempt: $log"

# ---- Stop while waiting -----------------------------------------------------------------------
stop_line
e2e_start_console
e2e_wait_window || e2e_fail "no main window without the sensor"
for _ in $(seq 1 50); do [ -n "$(waiting_attempt)" ] && break; sleep 0.2; done
[ -n "$(waiting_attempt)" ] || e2e_fail "not waiting for the sensor: '$(status)'"
e2e_click_control "$IDC_START" || e2e_fail "Start not found"
e2e_wait_state "$IDC_START" "1 1 0" 5 || e2e_fail "Stop did not end the waiting"
[ -z "$(status)" ] || e2e_fail "the status still says '$(status)' after the Stop"
start_line
start_emulator "$work/sensor.log" --tracks --targets 2 --fps 15
sleep 7
streaming && e2e_fail "the sensor's return started a run after the operator's Stop"
grep -q '^START' "$work/sensor.log" && e2e_fail "the sensor was told to start after the operator's Stop"
e2e_wait_state "$IDC_START" "1 1 0" 1 || e2e_fail "Start changed by itself after the Stop"
no_dialogs "after the Stop"
close_console
console_log | grep -q "ended by the operator" || e2e_fail "the event log lacks the Stop: $(console_log)"
e2e_pass
