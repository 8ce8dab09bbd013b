#!/usr/bin/env bash
# The console unpacked into a folder whose name the ANSI code page cannot hold (a profile folder
# of a Chinese or Polish operator): it loads its settings, records and writes its results there,
# and saves its settings on exit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START); IDC_SAVEDATA=$(e2e_id IDC_BTN_SAVE_DATA)

e2e_prepare_folder "测试 Łukasz"
# English is chosen only by this file: the English detection message shows that it was read.
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" ObjectWnd_SectorCount="7" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window"

e2e_click_control $IDC_DETECT
msg=$(e2e_wait_dialog_matching "Detected|检测到|失败|Fail" 20) || e2e_fail "no detection message: $(e2e_probe dialogs)"
case "$msg" in *"COM Device Detected"*) ;; *) e2e_fail "settings not read (no English detection message): $msg" ;; esac
e2e_click_dialog_button 1
e2e_wait_state $IDC_START "1 1 0" || e2e_fail "Start not enabled after detection"

# A run with Save Data on: results go to Log, the recording to SaveData, both beside the exe.
e2e_click_control $IDC_SAVEDATA
e2e_wait_state $IDC_SAVEDATA "1 1 1" || e2e_fail "Save Data not on"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "the run did not start: $(e2e_probe dialogs)"
sleep 3
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" || e2e_fail "the run did not stop"

e2e_key alt+F4
e2e_wait_exit 20 || e2e_fail "the console did not end"

echo "folder: $(ls -R "$E2E_DIR" | head -40)"
result=$(ls "$E2E_DIR"/Log/ROVA_MTT_Result_*.txt 2>/dev/null | head -1 || true)
[ -n "$result" ] && [ -s "$result" ] || e2e_fail "no result lines in $E2E_DIR/Log"
run_folder=$(ls -d "$E2E_DIR"/SaveData/ROVA_MTT_Data_* 2>/dev/null | head -1)
[ -n "$run_folder" ] && [ -f "$run_folder/FILE_Radar_Config.ini" ] && ls "$run_folder"/*.rvraw >/dev/null 2>&1 ||
  e2e_fail "no recording in a run folder of $E2E_DIR/SaveData"
config=$(cat "$E2E_DIR/appConfig.xml")
echo "appConfig.xml: $config"
grep -q 'ObjectWnd_SectorCount="7"' <<<"$config" || e2e_fail "the settings read at start were lost"
grep -q 'SaveData="1"' <<<"$config" || e2e_fail "settings were not written on exit"
grep -q 'SaveDataPath="[^"]' <<<"$config" || e2e_fail "save path not written on exit"
e2e_pass
