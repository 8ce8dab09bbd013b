#!/usr/bin/env bash
# The real console with the simulated sensor writes its Log\ and its raw recording onto tiny file
# systems of their own (tmpfs mounted by the test) that fill within seconds of the start. The run
# goes on: the window answers, the labels move, the status says the disk is full, the result file
# holds only whole lines, and once the test frees space, lines are written again in the same run
# within 10 s. Then the same with the folders turned read-only and back.
# Mounting needs root (the suite runs as root on the build machines); without it the test fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_START=$(e2e_id IDC_BTN_START)
IDC_LABEL=$(e2e_id IDC_STATIC_TARGET); IDC_STATUS=$(e2e_id IDC_STATIC_LINK_STATUS)
[ "$(id -u)" -eq 0 ] || e2e_fail "mounting the test's file systems needs root"

mounts=()
disk_cleanup() {
  local m
  for m in "${mounts[@]}"; do umount -l "$m" 2>/dev/null || true; done
  e2e_cleanup
}
trap disk_cleanup EXIT

e2e_prepare_folder
log="$E2E_DIR/Log"; save="$E2E_DIR/SaveData"
mkdir -p "$log" "$save"
# Room for the files' first lines only; the filler takes the rest and is what the test frees.
for m in "$log" "$save"; do
  mount -t tmpfs -o size=96k tmpfs "$m" || e2e_fail "cannot mount a tmpfs on $m"
  mounts+=("$m")
done
fill() { dd if=/dev/zero of="$1/filler" bs=4k count="$2" 2>/dev/null || true; }
fill "$log" 20
fill "$save" 20
save_win=$(winepath -w "$save" 2>/dev/null | tr -d '\r')
# No free-space floor: below it the raw recording pauses before it could fail, and the failure of
# its writes is what this test looks at (the floor has a test of its own).
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" SaveData="1" SaveDataPath="%s" LeastFreeMB="0" />\n' "$save_win" \
  > "$E2E_DIR/appConfig.xml"

e2e_start_console
e2e_detect || e2e_fail "the detection failed"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start not checked while running"
xdotool mousemove 0 0

result() { ls "$log"/ROVA_MTT_Result_*.txt 2>/dev/null | sort; }
result_lines() { local n=0 f; for f in $(result); do n=$(( n + $(wc -l < "$f") )); done; echo $n; }
whole_lines() {
  local f bad
  for f in $(result); do
    bad=$(grep -cvP '^\[\d\d:\d\d:\d\d\.\d{3}\], -?\d+, -?\d+\.\d\d, -?\d+\.\d\d, -?\d+\.\d\d\r$' "$f" || true)
    [ "$bad" -eq 0 ] || e2e_fail "$1: $bad result lines of $f are not whole"
    [ ! -s "$f" ] || [ "$(tail -c 2 "$f" | od -An -c | tr -d ' ')" = '\r\n' ] || e2e_fail "$1: $f ends inside a line"
  done
}
# Waits until the status contains the text; prints the status.
wait_status() {
  local status=""
  for _ in $(seq 1 $(( $2 * 4 ))); do
    status=$(e2e_probe text $IDC_STATUS)
    case "$status" in *"$1"*) echo "$status"; return 0 ;; esac
    sleep 0.25
  done
  echo "$status"
  return 1
}
# The labels go on moving and the window answers while the files cannot be written.
labels_move() {
  local first last
  first=$(e2e_probe text $IDC_LABEL)
  for _ in $(seq 1 12); do
    sleep 0.25
    last=$(e2e_probe text $IDC_LABEL)
    [ "$last" != "$first" ] && return 0
  done
  e2e_fail "$1: the labels stand still: $last"
}
# Lines reach the result files again within 10 s.
lines_resume() {
  local before=$2 now
  for _ in $(seq 1 40); do
    now=$(result_lines)
    [ "$now" -gt "$before" ] && return 0
    sleep 0.25
  done
  e2e_fail "$1: no result line written within 10 s of the room coming back ($before lines, $(result))"
}
running() { [ "$(e2e_probe state $IDC_START)" = "1 1 1" ] || e2e_fail "$1: the run did not go on"; }

# --- Full disk.
status=$(wait_status "Raw data cannot be written: the disk is full" 30) ||
  e2e_fail "the status does not say the raw data cannot be written: $status"
status=$(wait_status "Results cannot be written: the disk is full" 30) ||
  e2e_fail "the status does not say the results cannot be written: $status"
echo "full: $status"
labels_move "full disk"
running "full disk"
whole_lines "full disk"
sleep 2
held=$(result_lines)
rm -f "$log/filler" "$save/filler"
lines_resume "disk freed" "$held"
for _ in $(seq 1 40); do
  status=$(e2e_probe text $IDC_STATUS)
  case "$status" in *"cannot be written"*) sleep 0.25 ;; *) break ;; esac
done
case "$status" in *"cannot be written"*) e2e_fail "the status still names a write failure: $status" ;; esac
echo "freed: $status"
whole_lines "disk freed"
[ "$(result | wc -l)" -ge 1 ] || e2e_fail "no result file"

# --- A read-only Log folder (a file system cannot turn read-only under files open for writing,
# so the folder is read-only when the next run starts).
xdotool mousemove 0 0
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "Start still checked after the stop"
whole_lines "stopped"
files_before=$(result | wc -l)
mount -o remount,ro "$log" || e2e_fail "cannot make $log read-only"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start not checked in the read-only run"
xdotool mousemove 0 0
status=$(wait_status "the folder is not writable" 20) || e2e_fail "the status does not say the folder is not writable: $status"
echo "read-only: $status"
labels_move "read-only"
running "read-only"
held=$(result_lines)
mount -o remount,rw "$log" || e2e_fail "cannot make $log writable again"
lines_resume "writable again" "$held"
[ "$(result | wc -l)" -gt "$files_before" ] || e2e_fail "the read-only run wrote no result file of its own"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "Start still checked after the last stop"
whole_lines "writable again"
e2e_pass
