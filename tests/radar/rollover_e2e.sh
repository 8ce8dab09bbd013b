#!/usr/bin/env bash
# The real console with the simulated sensor and a small LogFileLimitKB: the run's results cross
# the limit and go on in new files of the same name pattern; each file stays within the limit and
# holds whole lines only, and the lines of all the run's result files together run on in time
# with no line twice and no gap at a file boundary larger than the run's largest gap inside a file.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START)
limit_kb=4

e2e_prepare_folder
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" LogFileLimitKB="%s" />\n' "$limit_kb" > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window"
e2e_click_control $IDC_DETECT
e2e_wait_dialog_matching "Detected" 20 >/dev/null || e2e_fail "no detection message: $(e2e_probe dialogs)"
e2e_click_dialog_button 1
e2e_wait_state $IDC_START "1 1 0" 15 || e2e_fail "Start not enabled after detection"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start not checked while running"

# Until the run has three result files (two boundaries), at most a minute.
results() { ls "$E2E_DIR"/Log/ROVA_MTT_Result_*.txt 2>/dev/null || true; }
for _ in $(seq 1 120); do
  [ "$(results | wc -l)" -ge 3 ] && break
  sleep 0.5
done
count=$(results | wc -l)
[ "$count" -ge 3 ] || e2e_fail "the results did not go on in new files: $(ls -l "$E2E_DIR/Log")"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "the run did not stop"
e2e_key alt+F4
e2e_wait_exit 20 || e2e_fail "the console did not end"
ls -l "$E2E_DIR/Log"

# The files in the order they were made: by the date-time in the name, "_2", "_3"... after it.
# Each file after the first is named after the time it was made: its first line was written
# shortly before (lines reach the file within a fifth of a second).
ms_of() { echo $(( ((10#$1 * 60 + 10#$2) * 60 + 10#$3) * 1000 + 10#$4 )); }
ordered=$(for f in $(results); do
  b=$(basename "$f" .txt)
  [[ $b =~ ^(ROVA_MTT_Result_[0-9]{8}_[0-9]{6}_[0-9]{3})(_([0-9]+))?$ ]] || { echo "BAD $b"; continue; }
  printf '%s %06d %s\n' "${BASH_REMATCH[1]}" "${BASH_REMATCH[3]:-1}" "$f"
done | sort | cut -d' ' -f3-)
case "$ordered" in *BAD*) e2e_fail "result files off the name pattern: $ordered" ;; esac
index=0
for f in $ordered; do
  index=$(( index + 1 ))
  [ $index -eq 1 ] && continue
  [[ $(basename "$f") =~ _[0-9]{8}_([0-9]{2})([0-9]{2})([0-9]{2})_([0-9]{3}) ]]
  named=$(ms_of "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}")
  first=$(head -1 "$f")
  [[ $first =~ ^\[([0-9]{2}):([0-9]{2}):([0-9]{2})\.([0-9]{3})\] ]] || e2e_fail "$(basename "$f") starts with $first"
  stamped=$(ms_of "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}")
  [ "$named" -ge "$stamped" ] && [ "$named" -le $(( stamped + 2000 )) ] ||
    e2e_fail "$(basename "$f") is not named after the time it was made: its first line is $first"
done
limit=$(( limit_kb * 1024 ))
for f in $ordered; do
  size=$(stat -c %s "$f")
  [ "$size" -le "$limit" ] || e2e_fail "$(basename "$f") has $size bytes, past the limit of $limit"
  [ "$size" -gt 0 ] || e2e_fail "$(basename "$f") is empty"
  bad=$(grep -cvP '^\[\d\d:\d\d:\d\d\.\d{3}\], -?\d+, -?\d+\.\d\d, -?\d+\.\d\d, -?\d+\.\d\d\r$' "$f" || true)
  [ "$bad" -eq 0 ] || e2e_fail "$bad malformed or split lines in $(basename "$f")"
  [ "$(tail -c 2 "$f" | od -An -c | tr -d ' ')" = '\r\n' ] || e2e_fail "$(basename "$f") ends inside a line"
done

# Every line of all files in order, with the number of its file: times never go back, no line is
# there twice, and the step at each boundary is no larger than the largest step inside a file.
# shellcheck disable=SC2086
report=$(awk -v files="$(echo $ordered | wc -w)" '
  FNR == 1 { file++ }
  {
    split(substr($1, 2, 12), t, /[:.]/)
    ms = ((t[1] * 60 + t[2]) * 60 + t[3]) * 1000 + t[4]
    if (seen[$0]++) { printf "BAD line twice: %s\n", $0; bad = 1 }
    if (n > 0) {
      step = ms - last
      if (step < 0) { printf "BAD time goes back in file %d: %s after %s\n", file, $0, lastLine; bad = 1 }
      if (file != lastFile) { boundary[file] = step; crossings++ }
      else if (step > inside) inside = step
    }
    last = ms; lastLine = $0; lastFile = file; n++
  }
  END {
    for (f in boundary) {
      printf "boundary before file %d: %d ms\n", f, boundary[f]
      if (boundary[f] > inside) { printf "BAD gap at the boundary before file %d: %d ms, inside at most %d ms\n", f, boundary[f], inside; bad = 1 }
    }
    printf "%d lines in %d files, %d boundaries, largest step inside a file %d ms\n", n, files, crossings, inside
    exit bad
  }' $ordered) || { echo "$report"; e2e_fail "the result files do not run on"; }
echo "$report"

# The zone events and the link log of the run: the same name pattern, the zone file with its header.
zones=$(ls "$E2E_DIR"/Log/ROVA_MTT_Zones_*.csv 2>/dev/null | head -1)
[ -n "$zones" ] || e2e_fail "no zone event file"
head -1 "$zones" | grep -q '^event,area,id,time_ms,clock,distance_m,angle_deg,dwell_ms' || e2e_fail "the zone file has no header"
link=$(ls "$E2E_DIR"/Log/ROVA_MTT_Link_*.txt 2>/dev/null | head -1)
[ -n "$link" ] || e2e_fail "no link log"
grep -q '\] run started: ' "$link" || e2e_fail "the link log has no start: $(cat "$link")"
grep -q '\] run stopped: ' "$link" || e2e_fail "the link log has no stop: $(cat "$link")"
e2e_pass
