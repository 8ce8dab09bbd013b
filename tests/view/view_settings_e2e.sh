#!/usr/bin/env bash
# The real console streams the simulated sensor for 8 s with each extreme of the view settings it
# accepts (ObjectWnd_SectorCount 1 to 1000, ObjectWnd_RadiusScale and ObjectWnd_LocusRadiusScale
# 0 to 100): it stays alive, its working set stays below the bound the whole time, Stop stops it
# and it exits with code 0.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START)
RUN_SECONDS=${E2E_VIEW_RUN_SECONDS:-8}
RSS_LIMIT_KB=$(( ${E2E_VIEW_RSS_LIMIT_MB:-400} * 1024 ))

# The Windows process of the console started from this set's folder (wine's loader may hand the
# program to a process of its own).
console_pid() {
  local pid
  for pid in $(pgrep -f "ROVA_MTT.exe" 2>/dev/null); do
    if [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$E2E_DIR" ]; then echo "$pid"; return 0; fi
  done
  return 1
}
# A field of /proc/<pid>/status in kB (VmRSS now, VmHWM the peak).
status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status" 2>/dev/null; }

peak_all=0
run_set() {
  local name=$1 sectors=$2 scale=$3 locus=$4 began
  began=$(date +%s)
  e2e_prepare_folder
  printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" ObjectWnd_SectorCount="%s" ObjectWnd_RadiusScale="%s" ObjectWnd_LocusRadiusScale="%s" ObjectWnd_DrawLocus="1" />\n' \
    "$sectors" "$scale" "$locus" > "$E2E_DIR/appConfig.xml"
  e2e_start_console
  # The background is drawn at the start and at every Start, slower with a thousand rings and a
  # machine busy with other builds: the waits allow for it.
  e2e_wait_window 60 || e2e_fail "$name: no main window"
  e2e_wait_state $IDC_START "1 0 0" 40 || e2e_fail "$name: Start should be disabled before a detection"
  e2e_click_control $IDC_DETECT
  e2e_wait_dialog_matching "Detected" 20 >/dev/null || e2e_fail "$name: no detection message: $(e2e_probe dialogs)"
  e2e_click_dialog_button 1
  e2e_wait_state $IDC_START "1 1 0" || e2e_fail "$name: Start not enabled after detection"
  local pid
  pid=$(console_pid) || e2e_fail "$name: no console process in $E2E_DIR"

  e2e_click_control $IDC_START
  e2e_wait_state $IDC_START "1 1 1" 40 || e2e_fail "$name: Start not checked while running"
  local running=$(( $(date +%s) - began ))
  # Watched four times a second: a working set that runs away is caught (and the console ended by
  # the cleanup) long before it can starve the machine.
  local rss=0 end=$(( $(date +%s%3N) + RUN_SECONDS * 1000 ))
  while [ "$(date +%s%3N)" -lt "$end" ]; do
    kill -0 "$pid" 2>/dev/null || e2e_fail "$name: the console ended while streaming"
    rss=$(status_kb "$pid" VmRSS)
    [ -n "$rss" ] || e2e_fail "$name: the console ended while streaming"
    [ "$rss" -lt "$RSS_LIMIT_KB" ] || e2e_fail "$name: working set ${rss} kB, above ${RSS_LIMIT_KB} kB"
    sleep 0.25
  done
  kill -0 "$pid" 2>/dev/null || e2e_fail "$name: the console ended while streaming"
  local peak
  peak=$(status_kb "$pid" VmHWM)
  [ -n "$peak" ] && [ "$peak" -lt "$RSS_LIMIT_KB" ] || e2e_fail "$name: peak working set ${peak:-?} kB, above ${RSS_LIMIT_KB} kB"
  [ "$peak" -gt "$peak_all" ] && peak_all=$peak
  # Targets reached the console while it ran: the result file has lines.
  local result
  result=$(ls "$E2E_DIR"/Log/ROVA_MTT_Result_*.txt 2>/dev/null | head -1)
  [ -n "$result" ] && [ -s "$result" ] || e2e_fail "$name: no result lines while streaming"

  # The pointer still rests on Start: xdotool's synchronous move to where it already is waits for
  # a motion that never comes, so it leaves first.
  xdotool mousemove 0 0
  e2e_click_control $IDC_START
  e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "$name: Start still checked after stop"
  kill -0 "$pid" 2>/dev/null || e2e_fail "$name: the console ended at the stop"
  local stopped=$(( $(date +%s) - began ))
  e2e_key alt+F4
  local code=""
  for _ in $(seq 1 100); do
    if ! kill -0 "$E2E_PID" 2>/dev/null; then
      code=0
      wait "$E2E_PID" || code=$?
      break
    fi
    sleep 0.2
  done
  [ -n "$code" ] || e2e_fail "$name: the console did not end"
  E2E_PID=""
  [ "$code" -eq 0 ] || e2e_fail "$name: the console exited with code $code"
  echo "$name: rings $sectors, scale $scale, locus $locus: last working set ${rss} kB, peak ${peak} kB, $(wc -l < "$result") result lines; running at ${running} s, stopped at ${stopped} s, ended at $(( $(date +%s) - began )) s"
  rm -rf "$E2E_DIR"
  E2E_DIR=""
}

run_set "one ring, largest scales" 1 100 100
run_set "one ring, scale 10, no line" 1 10 0
run_set "most rings, largest scales" 1000 100 100
echo "largest peak working set: $peak_all kB"
e2e_pass
