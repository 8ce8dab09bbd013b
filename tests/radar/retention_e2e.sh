#!/usr/bin/env bash
# Retention in the real console with the simulated sensor:
#   - at the start of a run, a run older than KeepDays goes whole (its marker, result, link and
#     zone files, the file it continued in after midnight, its raw folder); a run of five days ago,
#     the operator's own files and the running run stay; the event log tells each deletion;
#   - with a free floor above what the disk has (LeastFreeMB of 1 TiB), the console in Chinese:
#     the raw recording pauses while the results go on, the status says so in Chinese, the event
#     log has the pause.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_START=$(e2e_id IDC_BTN_START); IDC_STATUS=$(e2e_id IDC_STATIC_LINK_STATUS)

e2e_prepare_folder
log="$E2E_DIR/Log"; save="$E2E_DIR/SaveData"
mkdir -p "$log" "$save"
# A run of 1 January 2020 (and its file after midnight), as an older console left it.
old_raw="$save/ROVA_MTT_Data_20200101_120000_500"
mkdir -p "$old_raw"
old_files=("$log/ROVA_MTT_Run_20200101_120000_000.txt" "$log/ROVA_MTT_Result_20200101_120001_000.txt"
  "$log/ROVA_MTT_Link_20200101_120001_000.txt" "$log/ROVA_MTT_Zones_20200101_120001_005.csv"
  "$log/ROVA_MTT_Result_20200102_000000_000.txt" "$old_raw/FILE_Radar_Config.ini"
  "$old_raw/ROVA_Raw_20200101_120001_000.rvraw")
for f in "${old_files[@]}"; do echo old > "$f"; touch -d '2020-01-02 01:00' "$f"; done
# A run of five days ago.
recent=$(date -d '5 days ago' +%Y%m%d_%H%M%S)
recent_files=("$log/ROVA_MTT_Run_${recent}_000.txt" "$log/ROVA_MTT_Result_${recent}_500.txt")
for f in "${recent_files[@]}"; do echo recent > "$f"; touch -d '5 days ago' "$f"; done
# The operator's own.
mine=("$log/notes.txt" "$log/ROVA_MTT_Result_backup.txt" "$save/ROVA_MTT_Data_20200101_120000_500.zip")
for f in "${mine[@]}"; do echo mine > "$f"; touch -d '2020-01-01' "$f"; done

detect_and_start() {
  e2e_detect || e2e_fail "the detection failed"
  e2e_click_control $IDC_START
  e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "the run did not start"
}
stop_and_close() {
  e2e_click_control $IDC_START
  e2e_wait_state $IDC_START "1 1 0" 10 || e2e_fail "the run did not stop"
  e2e_key alt+F4
  e2e_wait_exit 20 || e2e_fail "the console did not end"
}
size_of() { local total=0 f; for f in "$@"; do [ -f "$f" ] && total=$(( total + $(stat -c %s "$f") )); done; echo $total; }

# --- Kept days at the start.
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" SaveData="1" KeepDays="30" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window"
detect_and_start
sleep 3
for f in "${old_files[@]}"; do [ ! -e "$f" ] || e2e_fail "the old run's $(basename "$f") is still there: $(ls "$log" "$save")"; done
[ ! -e "$old_raw" ] || e2e_fail "the old run's raw folder is still there"
for f in "${recent_files[@]}" "${mine[@]}"; do [ -e "$f" ] || e2e_fail "$(basename "$f") went"; done
run_raw=$(ls -d "$save"/ROVA_MTT_Data_2* | grep -v 20200101 | head -1 || true)
[ -d "$run_raw" ] || e2e_fail "the running run records nowhere: $(ls "$save")"
results=$(ls -t "$log"/ROVA_MTT_Result_*.txt | head -1)
[ "$results" != "${recent_files[1]}" ] && [ -s "$results" ] || e2e_fail "the running run writes no results"
stop_and_close
events=$(ls -t "$log"/ROVA_MTT_Link_*.txt | head -1)
echo "--- event log"; cat "$events"
for name in ROVA_MTT_Run_20200101_120000_000.txt ROVA_MTT_Result_20200102_000000_000.txt ROVA_MTT_Zones_20200101_120001_005.csv; do
  grep -q "retention deleted $name in the log folder: older than 30 days" "$events" || e2e_fail "the event log lacks the deletion of $name"
done
grep -q "retention deleted raw folder ROVA_MTT_Data_20200101_120000_500 in the save folder (2 files" "$events" ||
  e2e_fail "the event log lacks the deletion of the raw folder"

# --- The free floor, in Chinese: the raw recording pauses, the results go on.
printf '<?xml version="1.0"?>\n<AppConfig Language="CHS" SaveData="1" KeepDays="30" LeastFreeMB="1048576" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window in Chinese"
detect_and_start
status=""
for _ in $(seq 1 40); do
  status=$(e2e_probe text $IDC_STATUS || true)
  case "$status" in *"原始数据记录已暂停"*) break ;; esac
  sleep 0.25
done
echo "status: $status"
case "$status" in *"原始数据记录已暂停"*"1048576 MB"*) ;; *) e2e_fail "the status does not say the recording is paused: $status" ;; esac
run_raw=$(ls -td "$save"/ROVA_MTT_Data_2* | head -1)
results=$(ls -t "$log"/ROVA_MTT_Result_*.txt | head -1)
raw_before=$(size_of "$run_raw"/*.rvraw); results_before=$(size_of "$results")
sleep 2
raw_after=$(size_of "$run_raw"/*.rvraw); results_after=$(size_of "$results")
echo "raw bytes $raw_before -> $raw_after, result bytes $results_before -> $results_after"
[ "$raw_after" -eq "$raw_before" ] || e2e_fail "raw data was written while paused"
[ "$results_after" -gt "$results_before" ] || e2e_fail "the results stopped with the recording"
[ -f "$run_raw/FILE_Radar_Config.ini" ] || e2e_fail "the paused run has no configuration in its folder"
for f in "${mine[@]}"; do [ -e "$f" ] || e2e_fail "$(basename "$f") went below the floor"; done
stop_and_close
events=$(ls -t "$log"/ROVA_MTT_Link_*.txt | head -1)
echo "--- event log"; cat "$events"
grep -q "raw recording paused: [0-9]* MB free on the save folder's disk, 1048576 MB are kept free" "$events" ||
  e2e_fail "the event log lacks the pause"
# Below the floor the older runs went first, the run of five days ago among them.
grep -q "retention deleted ROVA_MTT_Result_${recent}_500.txt in the log folder: less than 1048576.0 MB free" "$events" ||
  e2e_fail "the run of five days ago did not go below the floor"
e2e_pass
