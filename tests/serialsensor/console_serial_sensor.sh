#!/usr/bin/env bash
# The real console against the sensor emulator on COM7, operated with the mouse:
#   Detect Device reports "COM Device Detected" and writes port 7 into "Radar_Config.ini" once
#   (a second detection of the same port leaves the file alone); Start streams the emulator's
#   fixed targets into the labels; Mode Switch sends the MCU tracking command over the wire and the
#   emulator acknowledges it; Stop ends the stream. Then, with 1 % noise bytes on the line, the
#   labels still follow the targets; with the emulator killed mid-run the console keeps answering
#   and the run can be stopped; a sensor that acknowledges its start too late is reported with
#   the library's text, a Stop pressed meanwhile starts nothing and the sensor is told to stop;
#   with the port gone, Start says which port cannot be opened.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../e2e_lib.sh"
for tool in socat g++ xdotool; do
  command -v $tool >/dev/null || e2e_fail "$tool is not installed"
done

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START); IDC_MODE=$(e2e_id IDC_BTN_MODE_SWITCH)
IDC_PLAYBACK=$(e2e_id IDC_BTN_PLAYBACK); IDC_LABEL=$(e2e_id IDC_STATIC_TARGET); IDC_LABEL1=$(e2e_id IDC_STATIC_TARGET1)
work=$(mktemp -d /tmp/rova_console_sensor.XXXXXX)
port=7
source "$here/../emulator_line.sh"
emu_e2e_setup
# The emulator's fixed targets stand at 3 m and 5 m: a label distance in that band came over the wire.
label_follows_targets() {
  local text distance
  text=$(e2e_probe text "$1")
  distance=$(echo "$text" | grep -Eo 'distance: *[0-9]+\.[0-9]{2}' | grep -Eo '[0-9]+\.[0-9]{2}' | head -1)
  [ -n "$distance" ] && awk -v d="$distance" 'BEGIN { exit !(d >= 2.5 && d <= 5.5) }'
}
wait_label_follows() {
  for _ in $(seq 1 20); do label_follows_targets "$1" && return 0; sleep 0.25; done
  return 1
}
# Detect Device, answered with OK; waits until the console acted on it (Start enabled).
detect() {
  e2e_click_control $IDC_DETECT || e2e_fail "Detect Device not found"
  local msg
  msg=$(e2e_wait_dialog_matching "Detected" 20) || e2e_fail "no detection message: $(e2e_probe dialogs)"
  case "$msg" in *"COM Device Detected"*) ;; *) e2e_fail "unexpected detection message: $msg" ;; esac
  e2e_click_dialog_button 1 || e2e_fail "the message box has no OK button"
  e2e_wait_state $IDC_START "1 1 0" 15 || e2e_fail "Start not enabled after the detection"
}
ini_value() { grep -E '^DetectedDeviceValue=' "$ini" | cut -d= -f2 | tr -d '\r'; }

start_line
log="$work/sensor.log"
start_emulator "$log" --tracks --fixed "3.0,10,-0.5;5.0,-20,0.8" --fps 20

e2e_prepare_folder
ini="$E2E_DIR/Radar_Config.ini"
[ -f "$ini" ] || e2e_fail "no Radar_Config.ini beside the console"
[ "$(ini_value)" != "7" ] || e2e_fail "the configuration names port 7 before any detection"
# Tracking on the module, so Mode Switch sends the MCU tracking command.
sed -i 's/^AlgorithmOnMcu=.*/AlgorithmOnMcu=10/' "$ini"
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"
e2e_wait_state $IDC_START "1 0 0" || e2e_fail "Start should be disabled before a detection"

# --- Detect Device finds the sensor on COM7 and remembers the port, once.
detect
[ "$(ini_value)" = "7" ] || e2e_fail "port 7 not written: $(ini_value); sensor log: $(grep -v '^FRAME' "$log")"
grep -q '^IDENTIFY' "$log" || e2e_fail "the emulator was never asked to identify itself"
stamp=$(stat -c '%Y.%N %i %s' "$ini"; md5sum < "$ini")
sleep 1.1
detect
sleep 1.5  # Start was enabled already: give a wrong second write the time to happen
[ "$(stat -c '%Y.%N %i %s' "$ini"; md5sum < "$ini")" = "$stamp" ] || e2e_fail "the second detection of the same port wrote the file again"

# --- Start streams the emulator's targets into the labels.
e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start is not checked during the run"
grep -q '^START 0x10 ACK 0' "$log" || e2e_fail "the emulator was not started: $(grep -v '^FRAME' "$log")"
wait_label_follows $IDC_LABEL || e2e_fail "the label does not show the emulator's targets: $(e2e_probe text $IDC_LABEL)"
echo "label: $(e2e_probe text $IDC_LABEL | tr '\n' ' ')"

# --- Mode Switch: the tracking command travels over the wire and is acknowledged.
commands_before=$(grep -cE '^COMMAND 0x(80|90) ACK 0$' "$log")
e2e_click_control $IDC_MODE || e2e_fail "Mode Switch not found"
e2e_wait_state $IDC_LABEL1 "1 1 0" 10 || e2e_fail "multi-target labels not shown after Mode Switch"
for _ in $(seq 1 20); do
  [ "$(grep -cE '^COMMAND 0x(80|90) ACK 0$' "$log")" -gt "$commands_before" ] && break
  sleep 0.25
done
[ "$(grep -cE '^COMMAND 0x(80|90) ACK 0$' "$log")" -gt "$commands_before" ] ||
  e2e_fail "Mode Switch sent no acknowledged tracking command: $(grep -v '^FRAME' "$log")"
grep -q '^COMMAND 0x90 ACK 0$' "$log" || e2e_fail "the multi-target mode did not send 0x90"
wait_label_follows $IDC_LABEL1 || e2e_fail "the multi-target label does not follow: $(e2e_probe text $IDC_LABEL1)"

# --- Stop ends the stream.
e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "Start is still checked after the stop"
sleep 0.5
last_stop=$(grep -n '^STOP' "$log" | tail -1 | cut -d: -f1)
[ -n "$last_stop" ] || e2e_fail "the emulator was never stopped"
tail -n +"$last_stop" "$log" | grep -q '^FRAME' && e2e_fail "frames were sent after Stop"
grep -v '^FRAME' "$log"

# --- 1 % noise bytes on the line: the run goes on and the labels follow the targets.
stop_emulator
log="$work/noise.log"
start_emulator "$log" --tracks --fixed "3.0,10,-0.5;5.0,-20,0.8" --fps 20 --noise 1 --seed 5
e2e_click_control $IDC_START || e2e_fail "Start not found"
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start is not checked on the noisy line"
wait_label_follows $IDC_LABEL1 || e2e_fail "no targets through the noise: $(e2e_probe text $IDC_LABEL1)"
sleep 2
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "the run on the noisy line did not stop"
stop_emulator
grep -Eq '^SUMMARY .*noise=[1-9]' "$log" || e2e_fail "no noise was injected: $(grep -v '^FRAME' "$log")"
grep '^SUMMARY' "$log"

# --- The emulator killed mid-run: the console keeps answering and the run can be stopped.
log="$work/kill.log"
start_emulator "$log" --tracks --fixed "3.0,10,-0.5;5.0,-20,0.8" --fps 20
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start is not checked before the kill"
sleep 1
kill -9 "$emu_pid" 2>/dev/null
wait "$emu_pid" 2>/dev/null
emu_pid=""
sleep 3  # past the two seconds of silence that end the run's data
e2e_probe state $IDC_START | grep -q '^1 1 1$' || e2e_fail "the console does not answer after the kill: $(e2e_probe state $IDC_START)"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "the run could not be stopped after the sensor went away"
kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "the console ended"

# --- A sensor that acknowledges its start too late: the start is refused with the library's text,
# Stop pressed while the start waits starts nothing, the sensor is told to stop again, and the
# buttons show no run.
stop_emulator
log="$work/late.log"
start_emulator "$log" --tracks --fixed "3.0,10,-0.5;5.0,-20,0.8" --fps 20 --start-ack-delay 4000
e2e_click_control $IDC_START || e2e_fail "Start not found"
sleep 0.3
e2e_click_control $IDC_START || e2e_fail "Start not found for the stop press"
refusals=0
while msg=$(e2e_wait_dialog_matching "Fail to Start Device" 6); do
  case "$msg" in *"does not answer the start request"*) ;; *) e2e_fail "the refusal does not give the library's text: $msg" ;; esac
  refusals=$((refusals + 1))
  [ "$refusals" -le 2 ] || e2e_fail "more refusals than presses"
  e2e_click_dialog_button 1 || e2e_fail "the refusal has no OK button"
done
[ "$refusals" -ge 1 ] || e2e_fail "the refused start was not reported: $(e2e_probe dialogs)"
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "Start shows a run after the refused start"
e2e_wait_state $IDC_PLAYBACK "1 1 0" 5 || e2e_fail "Playback not usable after the refused start"
sleep 1.5
[ "$(e2e_probe state $IDC_START)" = "1 1 0" ] || e2e_fail "a run started after the refused start: $(e2e_probe state $IDC_START)"
grep -q '^START 0x10 ACK LATE' "$log" || e2e_fail "the emulator was not asked to start: $(grep -v '^FRAME' "$log")"
last_start=$(grep -n '^START 0x10' "$log" | tail -1 | cut -d: -f1)
tail -n +"$last_start" "$log" | grep -q '^STOP 0x11 ACK 0' || e2e_fail "the sensor was not told to stop after the refused start: $(grep -v '^FRAME' "$log")"
echo "refused starts reported: $refusals"
grep -v '^FRAME' "$log"

# --- The sensor's port is gone (cable pulled): Start explains it and the run stays off.
stop_line
e2e_click_control $IDC_START
msg=$(e2e_wait_dialog_matching "Fail to Start Device" 15) || e2e_fail "no start failure shown: $(e2e_probe dialogs)"
case "$msg" in *"COM7 cannot be opened"*) ;; *) e2e_fail "the failure does not name the port: $msg" ;; esac
e2e_click_dialog_button 1 || e2e_fail "the failure message has no OK button"
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "Start is checked after the failed start"
e2e_pass
