#!/usr/bin/env bash
# The real console with the simulated sensor, operated with the mouse and keyboard:
# detect, start (moving targets, live labels, result lines), stop, mode switch, Save Data
# recording and its playback (and Stop pressed as it ends), the Parameter Setting dialog, and rapid
# presses.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_DETECT=$(e2e_id IDC_BTN_DETECT_DEVICE); IDC_START=$(e2e_id IDC_BTN_START); IDC_MODE=$(e2e_id IDC_BTN_MODE_SWITCH)
IDC_PLAYBACK=$(e2e_id IDC_BTN_PLAYBACK); IDC_SAVEDATA=$(e2e_id IDC_BTN_SAVE_DATA)
IDC_LABEL=$(e2e_id IDC_STATIC_TARGET); IDC_LABEL1=$(e2e_id IDC_STATIC_TARGET1); IDC_VIEW=$(e2e_id IDC_TARGET_VIEW)

e2e_prepare_folder
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window"
e2e_wait_state $IDC_START "1 0 0" || e2e_fail "Start should be disabled before a detection"

# --- Detect Device finds the simulated sensor and says so.
e2e_click_control $IDC_DETECT
msg=$(e2e_wait_dialog_matching "Detected" 20) || e2e_fail "no detection message: $(e2e_probe dialogs)"
case "$msg" in *"COM Device Detected"*) ;; *) e2e_fail "unexpected detection message: $msg" ;; esac
e2e_click_dialog_button 1
e2e_wait_state $IDC_START "1 1 0" || e2e_fail "Start not enabled after detection"

# --- Start: labels come alive within two seconds and the view shows moving discs.
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" 10 || e2e_fail "Start not checked while running"
sleep 2
label=$(e2e_probe text $IDC_LABEL)
echo "label: $label"
echo "$label" | grep -Eq 'distance: *[0-9]+\.[0-9]{2} m' || e2e_fail "label without distance: $label"
echo "$label" | grep -Eq 'distance: *0\.00 m' && e2e_fail "no target reached the label: $label"
view=$(e2e_probe rect $IDC_VIEW); set -- $view
geometry="${3}x${4}+${1}+${2}"
import -window root -crop "$geometry" "$E2E_DIR/view1.png"
sleep 1
import -window root -crop "$geometry" "$E2E_DIR/view2.png"
changed=$(compare -metric AE "$E2E_DIR/view1.png" "$E2E_DIR/view2.png" null: 2>&1 || true)
echo "view pixels changed in one second: $changed"
[ "${changed%%.*}" -gt 200 ] || e2e_fail "the view did not move"
bright=$(convert "$E2E_DIR/view2.png" -fuzz 8% -fill black +opaque white -fill white -opaque white -format "%[fx:mean*w*h]" info:)
echo "white disc pixels: $bright"
[ "${bright%%.*}" -gt 50 ] || e2e_fail "no target discs drawn"

# --- The result file receives lines in the exact format.
sleep 1
result=$(ls "$E2E_DIR"/Log/ROVA_MTT_Result_*.txt | head -1)
[ -s "$result" ] || e2e_fail "no result lines"
bad=$(grep -cvP '^\[\d\d:\d\d:\d\d\.\d{3}\], -?\d+, -?\d+\.\d\d, -?\d+\.\d\d, -?\d+\.\d\d\r$' "$result" || true)
[ "$bad" -eq 0 ] || e2e_fail "$bad malformed result lines in $result"

# --- Stop: labels stay, buttons back to the idle-with-device state.
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" || e2e_fail "Start still checked after stop"
e2e_wait_state $IDC_PLAYBACK "1 1 0" || e2e_fail "Playback not enabled after stop"
e2e_wait_state $IDC_SAVEDATA "1 1 0" || e2e_fail "Save Data not enabled after stop"
kept=$(e2e_probe text $IDC_LABEL)
sleep 3
[ "$(e2e_probe text $IDC_LABEL)" = "$kept" ] || e2e_fail "labels changed after the stop"
lines=$(wc -l < "$result")
sleep 1
[ "$(wc -l < "$result")" -eq "$lines" ] || e2e_fail "result lines written after the stop"

# --- Mode Switch swaps the label layout and runs again.
e2e_click_control $IDC_MODE
e2e_wait_state $IDC_LABEL1 "1 1 0" 10 || e2e_fail "multi-target labels not shown"
[ "$(e2e_probe state $IDC_LABEL | cut -d' ' -f1)" = "0" ] || e2e_fail "single-target label still shown"
e2e_wait_state $IDC_START "1 1 1" || e2e_fail "Mode Switch did not start a run"
sleep 2
e2e_probe text $IDC_LABEL1 | grep -q "Object 1 Information" || e2e_fail "multi-target label text: $(e2e_probe text $IDC_LABEL1)"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" || e2e_fail "stop after mode switch"

# --- Save Data: a recording lands in the save folder.
e2e_click_control $IDC_SAVEDATA
e2e_wait_state $IDC_SAVEDATA "1 1 1" || e2e_fail "Save Data not on"
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 1" || e2e_fail "start for recording"
sleep 3
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" || e2e_fail "stop after recording"
# The run records into a folder of its own under the save folder.
run_folders=$(ls -d "$E2E_DIR"/SaveData/ROVA_MTT_Data_* 2>/dev/null)
[ "$(wc -w <<<"$run_folders")" -eq 1 ] || e2e_fail "expected one run folder in SaveData: $(ls -R "$E2E_DIR/SaveData" 2>&1)"
[ -f "$run_folders/FILE_Radar_Config.ini" ] || e2e_fail "no FILE_Radar_Config.ini in the run folder: $(ls -R "$E2E_DIR/SaveData" 2>&1)"
ls "$run_folders"/* | grep -vq FILE_Radar_Config.ini || e2e_fail "no raw data recorded"
e2e_click_control $IDC_SAVEDATA
e2e_wait_state $IDC_SAVEDATA "1 1 0" || e2e_fail "Save Data not off"

# --- Ctrl+F2: change the algorithm and save; then change and cancel.
cp "$E2E_DIR/Radar_Config.ini" "$E2E_DIR/before.ini"
e2e_key ctrl+F2
e2e_wait_dialog_matching "Parameter Setting" 10 >/dev/null || e2e_fail "Ctrl+F2 opened no dialog: $(e2e_probe dialogs)"
xdotool key Down
sleep 0.3
e2e_click_dialog_button 1
sleep 1
grep -q '^PcAlgorithm=1' "$E2E_DIR/Radar_Config.ini" || e2e_fail "Save did not write PC MOD: $(grep -i algorithm "$E2E_DIR/Radar_Config.ini")"
cp "$E2E_DIR/Radar_Config.ini" "$E2E_DIR/saved.ini"
e2e_key ctrl+F2
e2e_wait_dialog 10 >/dev/null || e2e_fail "Ctrl+F2 opened no dialog the second time"
xdotool key Down
sleep 0.3
xdotool key Escape
sleep 1
[ -z "$(e2e_probe dialogs)" ] || e2e_fail "Escape left the dialog open"
cmp -s "$E2E_DIR/Radar_Config.ini" "$E2E_DIR/saved.ini" || e2e_fail "Escape changed Radar_Config.ini"

# --- Rapid presses while targets stream: the console stays responsive and ends stopped.
end=$(( $(date +%s) + ${E2E_STRESS_SECONDS:-30} ))
while [ "$(date +%s)" -lt "$end" ]; do
  for id in $IDC_START $IDC_MODE $IDC_START $IDC_START $IDC_MODE; do
    e2e_click_control $id || true
    while msg=$(e2e_probe dialogs | head -1) && [ -n "$msg" ]; do
      e2e_click_dialog_button 1 || xdotool key Escape
    done
  done
done
kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "the console died under rapid presses"
# The last press of the storm may still be in flight: the stop is pressed again if the first press
# left the run going, a few times at most; the attempt that stopped it is printed.
stopped=""
for attempt in 1 2 3; do
  sleep 1
  if [ "$(e2e_probe state $IDC_START)" = "1 1 1" ]; then e2e_click_control $IDC_START; fi
  if e2e_wait_state $IDC_START "1 1 0" 5 2>/dev/null; then stopped=$attempt; break; fi
done
[ -n "$stopped" ] || e2e_fail "could not stop after the rapid presses: $(e2e_probe state $IDC_START)"
echo "stopped after the rapid presses (attempt $stopped)"
settled=$(e2e_probe text $IDC_LABEL; e2e_probe text $IDC_LABEL1)
sleep 2.5
[ "$(e2e_probe text $IDC_LABEL; e2e_probe text $IDC_LABEL1)" = "$settled" ] || e2e_fail "a stale tick changed the labels after the stop"

e2e_key alt+F4
e2e_wait_exit 20 || e2e_fail "the console did not end"

# --- Playback of the recording: the folder chooser opens on the last folder, the run replays the
# targets and stops by itself; afterwards the live configuration is back.
# Wine's folder browser cannot preselect folders outside the prefix's drive C:, so the recording
# is played back from a copy there.
rec_name=$(basename "$E2E_DIR")
rec_dir="$WINEPREFIX/drive_c/$rec_name"
cp -r "$run_folders" "$rec_dir"
trap 'rm -rf "$rec_dir"; e2e_cleanup' EXIT
sed -i "s|<AppConfig |<AppConfig DataFilePath=\"C:\\\\$rec_name\" |" "$E2E_DIR/appConfig.xml"
grep -q "DataFilePath=\"C:\\\\$rec_name\"" "$E2E_DIR/appConfig.xml" || e2e_fail "could not set DataFilePath: $(cat "$E2E_DIR/appConfig.xml")"
logs_before=$(ls "$E2E_DIR"/Log | wc -l)
e2e_start_console
e2e_wait_window || e2e_fail "no main window for playback"
e2e_click_control $IDC_PLAYBACK
chooser=$(e2e_wait_dialog 15) || e2e_fail "no folder chooser"
echo "chooser: $chooser"
e2e_click_dialog_button 1
e2e_wait_state $IDC_PLAYBACK "1 1 1" 10 || e2e_fail "playback did not start"
started_ms=$(date +%s%3N)
[ "$(e2e_probe state $IDC_START)" = "1 0 0" ] || e2e_fail "Start usable during playback"
e2e_wait_state $IDC_PLAYBACK "1 1 0" 30 || e2e_fail "playback did not stop by itself"
playback_ms=$(( $(date +%s%3N) - started_ms ))
echo "the playback took $playback_ms ms"
[ "$(e2e_probe state $IDC_START)" = "1 0 0" ] || e2e_fail "Start enabled after playback without a detected device"
[ "$(ls "$E2E_DIR"/Log | wc -l)" -gt "$logs_before" ] || e2e_fail "playback wrote no result file"
replayed=$(ls -t "$E2E_DIR"/Log/*.txt | head -1)
[ -s "$replayed" ] || e2e_fail "playback delivered no targets"

# --- Stop pressed as the playback reaches its end: whichever comes first, the end of a playback
# only ever stops. (A press that comes after the end opens the folder chooser, which is cancelled.)
e2e_click_control $IDC_PLAYBACK
e2e_wait_dialog 15 >/dev/null || e2e_fail "no folder chooser for the second playback"
e2e_click_dialog_button 1
e2e_wait_state $IDC_PLAYBACK "1 1 1" 10 || e2e_fail "the second playback did not start"
started_ms=$(date +%s%3N)
# The button's place is known before the wait, so the press is not late by a probe's start-up.
# The measured length runs to when the probe saw the stop, a little after the end itself: the
# press aims at 600 ms before it.
set -- $(e2e_probe rect $IDC_PLAYBACK)
sleep "$(awk -v ms="$playback_ms" -v gone="$(( $(date +%s%3N) - started_ms ))" \
  'BEGIN { s = (ms - 600 - gone) / 1000; print (s > 0 ? s : 0) }')"
xdotool mousemove --sync $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 )) click 1
pressed_ms=$(( $(date +%s%3N) - started_ms ))
sleep 1
if e2e_probe dialogs | grep -q "Browse"; then
  echo "the press came after the end of the playback"
  xdotool key --clearmodifiers Escape
  sleep 0.5
else
  echo "the press stopped the playback at $pressed_ms ms of $playback_ms"
fi
e2e_wait_state $IDC_PLAYBACK "1 1 0" 10 || e2e_fail "Playback still pressed after the stop at the end"
sleep 1.5
[ -z "$(e2e_probe dialogs)" ] || e2e_fail "something started after the end of the playback: $(e2e_probe dialogs)"
[ "$(e2e_probe state $IDC_PLAYBACK)" = "1 1 0" ] || e2e_fail "a run started after the end of the playback"
[ "$(e2e_probe state $IDC_START)" = "1 0 0" ] || e2e_fail "Start enabled after the playback without a detected device"
e2e_key alt+F4
e2e_wait_exit 20 || e2e_fail "the console did not end after playback"
e2e_pass
