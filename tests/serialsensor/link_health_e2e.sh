#!/usr/bin/env bash
# Unattended operation end to end: the real console with the sensor emulator on COM9 and the
# signal light on COM43, whose far end the Modbus slave of tools/modbus-slave plays.
#   - the emulator killed mid-run: within 3 s the status right of the title is red and says so,
#     the labels say no data arrives, the slave sees the lit lamp (coil 0 or 2) off, then coil 1 on;
#   - the emulator started again: within 5 s the same run has its data back (the targets in the
#     labels, new result lines), coil 1 off, then the lamp of the targets;
#   - the port's link removed: the same as silence;
#   - Stop while the library tries to reconnect: stopped within 0.5 s, the light closed;
#   - the run's event log beside the result file holds each of these, the result lines keep
#     their format; the stale state again with the console in Chinese.
# ROVA_LINK_SHOTS=<folder> keeps screenshots of the stale state in both languages there.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../e2e_lib.sh"
for tool in socat g++ cc pkg-config xdotool convert; do
  command -v $tool >/dev/null || e2e_fail "$tool is not installed"
done

IDC_DETECT=1090; IDC_START=1091; IDC_LABEL=1084; IDC_STATUS=1005
work=$(mktemp -d /tmp/rova_link_e2e.XXXXXX)
port=9
targets="3.0,10,-0.5;5.0,-20,0.8"
shots=${ROVA_LINK_SHOTS:-}
source "$here/../emulator_line.sh"
light_port=43
source "$here/../light_line.sh"
fail() { e2e_fail "$@"; }
trap 'e2e_cleanup; stop_line; stop_light_line; rm -rf "$work"' EXIT
build_emulator
build_modbus_slave

start_light_line "$work/coils.log"

now_ms() { date +%s%3N; }
# Time stamp (ms) of the first event-log line matching <regex> after line <skip>; empty when none.
event_ms() {
  local line
  line=$(tail -n +"$(( $2 + 1 ))" "$events" 2>/dev/null | grep -E "$1" | head -1)
  [ -n "$line" ] || return 1
  date -d "$(echo "$line" | sed -E 's/^\[([^]]+)\].*/\1/')" +%s%3N
}
# Waits up to <seconds> for an event-log line matching <regex> after line <skip>; prints its time.
wait_event() {
  local t
  for _ in $(seq 1 $(( $3 * 10 ))); do
    t=$(event_ms "$1" "$2") && { echo "$t"; return 0; }
    sleep 0.1
  done
  return 1
}
# Polls the slave's log until it holds <count> lines matching <regex>; prints when (ms).
wait_coils() {
  for _ in $(seq 1 $(( $3 * 50 ))); do
    [ "$(grep -cE "$1" "$coils")" -ge "$2" ] && { now_ms; return 0; }
    sleep 0.02
  done
  return 1
}
# The coil line before the <n>th match of <regex> in the slave's log.
coil_before() { grep -v '^READY' "$coils" | grep -B1 -E "$1" | grep -vE "$1|^--" | sed -n "${2}p"; }
# The coil line after the <n>th match of <regex>.
coil_after() { grep -v '^READY' "$coils" | grep -A1 -E "$1" | grep -vE "$1|^--" | sed -n "${2}p"; }
label_follows_targets() {
  local distance
  distance=$(e2e_probe text $IDC_LABEL | grep -Eo 'distance: *[0-9]+\.[0-9]{2}|距离: *[0-9]+\.[0-9]{2}' | grep -Eo '[0-9]+\.[0-9]{2}' | head -1)
  [ -n "$distance" ] && awk -v d="$distance" 'BEGIN { exit !(d >= 2.5 && d <= 5.5) }'
}
# The status label's background near its left edge is red.
status_is_red() {
  local rect shot pixel
  rect=$(e2e_probe rect $IDC_STATUS) || return 1
  set -- $rect
  shot="$work/status.png"
  import -window root -crop "1x1+$(( $1 + 1 ))+$(( $2 + $4 / 2 ))" "$shot" 2>/dev/null || return 1
  pixel=$(convert "$shot" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
  set -- $pixel
  [ "$1" -ge 150 ] && [ "$2" -le 60 ] && [ "$3" -le 60 ]
}
shot() { [ -n "$shots" ] && mkdir -p "$shots" && e2e_screenshot "$shots/$1" && echo "screenshot: $shots/$1"; }
detect_and_start() {
  e2e_click_control $IDC_DETECT || e2e_fail "Detect Device not found"
  e2e_wait_dialog_matching "Detected|检测到" 20 >/dev/null || e2e_fail "no detection message: $(e2e_probe dialogs)"
  e2e_click_dialog_button 1 || e2e_fail "the detection message has no OK button"
  e2e_wait_state $IDC_START "1 1 0" 15 || e2e_fail "Start not enabled after the detection"
  e2e_click_control $IDC_START || e2e_fail "Start not found"
  e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start is not checked during the run"
}

start_line
start_emulator "$work/sensor.log" --tracks --fixed "$targets" --fps 20
e2e_prepare_folder
ini="$E2E_DIR/Radar_Config.ini"
sed -i -e 's/^AlgorithmOnMcu=.*/AlgorithmOnMcu=10/' -e 's/^LightPort=.*/LightPort=43/' "$ini"
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"
detect_and_start
for _ in $(seq 1 20); do label_follows_targets && break; sleep 0.25; done
label_follows_targets || e2e_fail "the labels do not show the emulator's targets: $(e2e_probe text $IDC_LABEL)"
status=$(e2e_probe text $IDC_STATUS)
echo "status: $status"
case "$status" in COM9*fps*errors*) ;; *) e2e_fail "the status does not name the port, rate and errors: $status" ;; esac
status_is_red && e2e_fail "the status is red while data arrives"
results=$(ls "$E2E_DIR"/Log/ROVA_MTT_Result_*.txt 2>/dev/null | head -1)
events=$(ls "$E2E_DIR"/Log/ROVA_MTT_Link_*.txt 2>/dev/null | head -1)
[ -n "$results" ] && [ -n "$events" ] || e2e_fail "no result file or event log in Log/: $(ls "$E2E_DIR/Log")"
[ "$(basename "$events" | sed 's/Link/Result/')" = "$(basename "$results")" ] || e2e_fail "the event log is not named after the result file"
wait_coils '^WRITE_COIL 0 ON' 1 5 >/dev/null || e2e_fail "the target lamp never lit: $(cat "$coils")"

# --- The sensor killed: stale within 3 s.
sleep 0.5
kill -9 "$emu_pid" 2>/dev/null; wait "$emu_pid" 2>/dev/null; emu_pid=""
killed=$(now_ms)
lit=$(wait_coils '^WRITE_COIL 1 ON' 1 6) || e2e_fail "no fault lamp after the sensor went quiet: $(cat "$coils")"
stale=$(wait_event 'no data from COM9' 0 6) || e2e_fail "no stale event: $(cat "$events")"
echo "sensor killed: fault lamp after $(( lit - killed )) ms, status stale after $(( stale - killed )) ms"
[ $(( lit - killed )) -le 3000 ] || e2e_fail "the fault lamp came $(( lit - killed )) ms after the kill"
[ $(( stale - killed )) -le 3000 ] || e2e_fail "the status turned stale $(( stale - killed )) ms after the kill"
before=$(coil_before '^WRITE_COIL 1 ON' 1)
case "$before" in "WRITE_COIL 0 OFF"*|"WRITE_COIL 2 OFF"*) ;; *) e2e_fail "coil 1 was not preceded by the lit lamp going off: $before" ;; esac
status=$(e2e_probe text $IDC_STATUS)
case "$status" in *"NO DATA"*) ;; *) e2e_fail "the status does not say no data arrives: $status" ;; esac
status_is_red || e2e_fail "the stale status is not red"
e2e_probe text $IDC_LABEL | grep -q "NO DATA" || e2e_fail "the labels still show values: $(e2e_probe text $IDC_LABEL)"
echo "stale status: $status"
shot link-stale-enu.png
sleep 2.5
grep -q '^WRITE_COIL 2 ON' <(grep -A100 '^WRITE_COIL 1 ON' "$coils") && e2e_fail "the no-target lamp lit while no data arrives"
lines_before=$(wc -l < "$results")
event_lines=$(wc -l < "$events")

# --- The sensor back: data within 5 s, in the same run.
start_emulator "$work/sensor2.log" --tracks --fixed "$targets" --fps 20
back=$(now_ms)
again=$(wait_event 'data from COM9 again' "$event_lines" 8) || e2e_fail "the data did not come back: $(cat "$events")"
echo "sensor back: data again after $(( again - back )) ms"
[ $(( again - back )) -le 5000 ] || e2e_fail "the data came back $(( again - back )) ms after the sensor"
wait_coils '^WRITE_COIL 1 OFF' 1 3 >/dev/null || e2e_fail "the fault lamp stayed on: $(cat "$coils")"
wait_coils '^WRITE_COIL 0 ON' 2 3 >/dev/null || e2e_fail "the target lamp did not come back: $(cat "$coils")"
after=$(coil_after '^WRITE_COIL 1 OFF' 1)
case "$after" in "WRITE_COIL 0 ON"*) ;; *) e2e_fail "after coil 1 off came $after instead of the target lamp" ;; esac
e2e_probe state $IDC_START | grep -q '^1 1 1$' || e2e_fail "the run did not go on"
for _ in $(seq 1 20); do label_follows_targets && break; sleep 0.25; done
label_follows_targets || e2e_fail "the labels do not follow the targets again: $(e2e_probe text $IDC_LABEL)"
status_is_red && e2e_fail "the status stays red with data back"
sleep 0.5
[ "$(wc -l < "$results")" -gt "$lines_before" ] || e2e_fail "no new result lines after the sensor came back"
grep -q '^IDENTIFY' "$work/sensor2.log" && grep -q '^COMMAND 0x80 ACK 0$' "$work/sensor2.log" ||
  e2e_fail "the returned sensor was not identified and given its tracking command: $(grep -v '^FRAME' "$work/sensor2.log")"

# --- The port's link removed: the same as silence.
event_lines=$(wc -l < "$events")
stop_line
removed=$(now_ms)
lit=$(wait_coils '^WRITE_COIL 1 ON' 2 6) || e2e_fail "no fault lamp after the port went away: $(cat "$coils")"
echo "port removed: fault lamp after $(( lit - removed )) ms"
[ $(( lit - removed )) -le 3000 ] || e2e_fail "the fault lamp came $(( lit - removed )) ms after the port went"
wait_event 'failed: the port cannot be opened' "$event_lines" 6 >/dev/null ||
  e2e_fail "no failed reconnect attempt for the missing port: $(cat "$events")"
e2e_probe text $IDC_STATUS | grep -q "NO DATA" || e2e_fail "the status does not say no data arrives"

# --- Stop while the library tries again (the port is back, nobody answers on it).
start_line
sleep 3
set -- $(e2e_probe rect $IDC_START)
[ $# -eq 4 ] || e2e_fail "Start not found"
xdotool mousemove --sync $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 ))
event_lines=$(wc -l < "$events")
clicked=$(now_ms)
xdotool click 1
stopped=$(wait_event 'run stopped' "$event_lines" 5) || e2e_fail "the run did not stop: $(cat "$events")"
echo "Stop during reconnect attempts: stopped after $(( stopped - clicked )) ms"
[ $(( stopped - clicked )) -le 500 ] || e2e_fail "Stop took $(( stopped - clicked )) ms"
e2e_wait_state $IDC_START "1 1 0" 5 || e2e_fail "Start is still checked after the stop"
sleep 0.3
tail -2 "$coils" | tr '\n' ' ' | grep -q 'WRITE_COIL 1 OFF.*WRITE_COIL 3 OFF' ||
  e2e_fail "the stop did not turn the fault lamp off and close the light: $(tail -3 "$coils")"

echo "--- event log"
cat "$events"
for pattern in 'run started: COM9' 'no data from COM9' 'link lost: COM9' 'reconnect attempt [0-9]+ failed: no answer' \
  'reconnect attempt [0-9]+ succeeded: link back' 'data from COM9 again' 'failed: the port cannot be opened' 'run stopped'; do
  grep -Eq "^\[[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}\] .*$pattern" "$events" ||
    e2e_fail "the event log lacks '$pattern'"
done
bad=$(tr -d '\r' < "$results" | grep -cvE '^\[[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}\], -?[0-9]+, -?[0-9]+\.[0-9]{2}, -?[0-9]+\.[0-9]{2}, -?[0-9]+\.[0-9]{2}$')
[ "$bad" -eq 0 ] || e2e_fail "$bad result lines lost their format"

# --- The stale state in Chinese.
kill "$E2E_PID" 2>/dev/null; e2e_wait_exit 10 || e2e_fail "the console did not close"
printf '<?xml version="1.0"?>\n<AppConfig Language="CHS" />\n' > "$E2E_DIR/appConfig.xml"
start_emulator "$work/sensor3.log" --tracks --fixed "$targets" --fps 20
e2e_start_console
e2e_wait_window || e2e_fail "no main window in Chinese"
detect_and_start
events=$(ls -t "$E2E_DIR"/Log/ROVA_MTT_Link_*.txt | head -1)
sleep 1
kill -9 "$emu_pid" 2>/dev/null; wait "$emu_pid" 2>/dev/null; emu_pid=""
wait_event 'no data from COM9' 0 6 >/dev/null || e2e_fail "no stale state in Chinese"
sleep 0.5
status=$(e2e_probe text $IDC_STATUS)
echo "stale status in Chinese: $status"
case "$status" in *"无数据"*) ;; *) e2e_fail "the Chinese status does not say no data: $status" ;; esac
status_is_red || e2e_fail "the Chinese stale status is not red"
e2e_probe text $IDC_LABEL | grep -q "无数据" || e2e_fail "the Chinese labels still show values"
shot link-stale-chs.png
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" 5 || e2e_fail "the Chinese run did not stop"
e2e_pass
