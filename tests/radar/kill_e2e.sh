#!/usr/bin/env bash
# The console killed hard in the middle of a run with Save Data on, as a crash or a pulled plug
# would end it: the result file holds whole lines up to about a second before the kill, the raw
# recording reads back up to the frame being written, and appConfig.xml is as it was.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START); IDC_SAVEDATA=$(e2e_id IDC_BTN_SAVE_DATA)

e2e_prepare_folder
cat > "$E2E_DIR/appConfig.xml" <<'XML'
<?xml version="1.0"?>
<AppConfig Language="ENG" SaveData="1">
	<MonitorArea Points="10,1;50,60;70,80" />
	<MonitorArea Points="20,1;55,65;75,85" />
</AppConfig>
XML
e2e_start_console
e2e_wait_window || e2e_fail "no main window"
e2e_wait_state $IDC_SAVEDATA "1 1 1" || e2e_fail "Save Data not on from the settings"
e2e_click_control $IDC_DETECT
e2e_wait_dialog_matching "Detected" 20 >/dev/null || e2e_fail "no detection message: $(e2e_probe dialogs)"
e2e_click_dialog_button 1
e2e_wait_state $IDC_START "1 1 0" || e2e_fail "Start not enabled after detection"
cp "$E2E_DIR/appConfig.xml" "$E2E_DIR/before.xml"

to_ms() { awk -F'[:.]' '{ print (($1 * 60 + $2) * 60 + $3) * 1000 + $4 }' <<<"$1"; }
# Milliseconds from clock time $2 back to $1, across midnight; 0 for a line written after $1 was
# taken (lines go on arriving while the file is read).
gap_ms() {
  local d=$(( $(to_ms "$1") - $(to_ms "$2") ))
  [ "$d" -lt -43200000 ] && d=$(( d + 86400000 ))
  [ "$d" -lt 0 ] && d=0
  echo "$d"
}
# The clock time of the last whole line of the result file.
last_line_clock() { { tr -d '\0' < "$1" | grep -a $'\r$' || true; } | tail -1 | cut -c2-13; }

e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start not checked while running"
sleep 1
# While the run goes on, the file as anyone else sees it trails the console by little: each line
# reaches the system within a fifth of a second, not only when a later line pushes it out.
result=$(ls "$E2E_DIR"/Log/ROVA_MTT_Result_*.txt | head -1)
worst=0
for _ in $(seq 1 20); do
  now=$(date +%H:%M:%S.%3N)
  line=$(last_line_clock "$result")
  lag=$([ -n "$line" ] && gap_ms "$now" "$line" || echo 99999)
  [ "$lag" -gt "$worst" ] && worst=$lag
  sleep 0.2
done
echo "the result file trailed the run by at most $worst ms"
[ "$worst" -le 600 ] || e2e_fail "result lines reached the file up to $worst ms late"

# The console is the Wine process whose working folder is ours; SIGKILL gives it no last word.
pids=()
for pid in $(pgrep -f "ROVA_MTT.exe" 2>/dev/null); do
  [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$E2E_DIR" ] && pids+=("$pid")
done
[ ${#pids[@]} -gt 0 ] || e2e_fail "no console process found"
kill_ms=$(date +%s%3N)
kill_clock=$(date +%H:%M:%S.%3N)
kill -9 "${pids[@]}"
e2e_wait_exit 10 || e2e_fail "the console outlived its kill"
echo "killed at $kill_clock"

# --- Result file: whole lines in the exact format, the last one at most about a second old.
[ -s "$result" ] || e2e_fail "no result lines reached the file"
[ "$(tail -c 2 "$result" | od -An -c | tr -d ' ')" = '\r\n' ] || e2e_fail "the result file ends in a partial line: $(tail -c 60 "$result" | od -c | tail -3)"
bad=$(grep -cvP '^\[\d\d:\d\d:\d\d\.\d{3}\], -?\d+, -?\d+\.\d\d, -?\d+\.\d\d, -?\d+\.\d\d\r$' "$result" || true)
[ "$bad" -eq 0 ] || e2e_fail "$bad malformed result lines"
result_gap=$(gap_ms "$kill_clock" "$(last_line_clock "$result")")
echo "result lines: $(wc -l < "$result"), the last written $result_gap ms before the kill"
[ "$result_gap" -le 1000 ] || e2e_fail "the result file lost the last $result_gap ms before the kill"

# --- Raw recording: every frame up to the one being written reads back, without gaps.
run_folder=$(ls -d "$E2E_DIR"/SaveData/ROVA_MTT_Data_* 2>/dev/null | head -1)
[ -n "$run_folder" ] || e2e_fail "no run folder in SaveData: $(ls -R "$E2E_DIR/SaveData" 2>&1)"
raw=$(wine "$ROVA_BIN_DIR/rova_rawcheck.exe" "$(winepath -w "$run_folder" 2>/dev/null)" 2>/dev/null | tr -d '\r') ||
  e2e_fail "the recording does not read back: $raw"
echo "recording: $raw"
[ "$(wc -l <<<"$raw")" -eq 1 ] || e2e_fail "expected one raw data file"
field() { sed -n "s/.* $1=\([0-9-]*\).*/\1/p" <<<"$raw"; }
[ "$(field frames)" -gt 0 ] || e2e_fail "no frames recorded"
[ "$(field gaps)" -eq 0 ] || e2e_fail "frames missing inside the recording"
[ "$(field tail)" -lt $((28 + 48 * 1024)) ] || e2e_fail "more than the frame being written is lost"
raw_gap=$(( kill_ms - $(field last_ms) ))
echo "the last recorded frame is $raw_gap ms before the kill"
# One frame period of the simulated sensor (50 ms) and the scheduling of a loaded machine.
[ "$raw_gap" -le 300 ] || e2e_fail "the recording lost the last $raw_gap ms before the kill"

# --- appConfig.xml: untouched by the kill.
cmp -s "$E2E_DIR/appConfig.xml" "$E2E_DIR/before.xml" || e2e_fail "appConfig.xml changed: $(cat "$E2E_DIR/appConfig.xml")"
if command -v xmllint >/dev/null; then
  xmllint --noout "$E2E_DIR/appConfig.xml" || e2e_fail "appConfig.xml does not parse"
fi
e2e_pass
