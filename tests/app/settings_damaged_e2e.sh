#!/usr/bin/env bash
# A hand-edited appConfig.xml with a mismatched end tag: the console keeps the file untouched beside
# itself before writing anything, says so once in the chosen language in a notice that waits for
# nobody, writes the notice into its event log under Log\, and goes on with what it read. With
# monitoring at start among what it read, it streams from the remembered sensor (the simulated one
# here) behind the notice, without a click.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

IDC_START=$(e2e_id IDC_BTN_START); IDC_STATUS=$(e2e_id IDC_STATIC_LINK_STATUS)

# The console's windows titled $1.
titled() {
  local mine
  mine=$(e2e_windows)
  for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true); do
    grep -qx "$w" <<<"$mine" && { echo "$w"; return 0; }
  done
  return 0
}

e2e_prepare_folder
for lang in ENG CHS; do
  title=Prompt
  phrase="is damaged"
  source_name="Simulated sensor"
  if [ "$lang" = CHS ]; then title="提示"; phrase="已损坏"; source_name="模拟传感器"; fi
  rm -rf "$E2E_DIR"/appConfig.xml* "$E2E_DIR/Log"
  {
    printf '<?xml version="1.0"?>\n<AppConfig Language="%s" AutoStart="1" LastSourceType="1" LastDeviceValue="9999" LastDevicePort="COM9999">\n' "$lang"
    for i in $(seq 1 30); do
      end=MonitorArea
      [ "$i" -eq 3 ] && end=MonitorAera
      printf '\t<MonitorArea Points="%d,1;50,60;70,80"></%s>\n' "$i" "$end"
    done
    printf '</AppConfig>\n'
  } > "$E2E_DIR/appConfig.xml"
  cp "$E2E_DIR/appConfig.xml" "$E2E_DIR/original.xml"

  e2e_start_console
  e2e_wait_window 30 || e2e_fail "$lang: no main window"
  box=""
  for _ in $(seq 1 50); do
    box=$(titled "$title")
    [ -n "$box" ] && break
    sleep 0.2
  done
  [ -n "$box" ] || e2e_fail "$lang: no \"$title\" notice about the damaged settings"
  copies=("$E2E_DIR"/appConfig.xml.damaged-*)
  [ ${#copies[@]} -eq 1 ] && [ -f "${copies[0]}" ] || e2e_fail "$lang: expected one damaged copy, found: ${copies[*]}"
  cmp -s "${copies[0]}" "$E2E_DIR/original.xml" || e2e_fail "$lang: the copy differs from the damaged file"
  notice=""
  for _ in $(seq 1 25); do
    notice=$(e2e_probe dialogs | grep -F "$phrase" || true)
    [ -n "$notice" ] && break
    sleep 0.2
  done
  [ -n "$notice" ] || e2e_fail "$lang: the notice does not say the file is damaged: $(e2e_probe dialogs)"
  grep -qF "$(basename "${copies[0]}")" <<<"$notice" || e2e_fail "$lang: the notice does not name the copy: $notice"

  # Nobody clicked: the run streams behind the notice.
  streaming=""
  for _ in $(seq 1 50); do
    e2e_probe text "$IDC_STATUS" | grep -Eq "^$source_name .*(fps|帧/秒)" && { streaming=1; break; }
    sleep 0.2
  done
  [ -n "$streaming" ] || e2e_fail "$lang: no stream behind the notice: status '$(e2e_probe text "$IDC_STATUS")'"
  e2e_wait_state "$IDC_START" "1 1 1" 5 || e2e_fail "$lang: Start does not show the run"
  log=$(cat "$E2E_DIR"/Log/ROVA_MTT_Console_*.txt 2>/dev/null || true)
  grep -F "notice: " <<<"$log" | grep -qF "$phrase" || e2e_fail "$lang: the event log lacks the notice: $log"
  grep -qF "$(basename "${copies[0]}")" <<<"$log" || e2e_fail "$lang: the event log does not name the copy: $log"
  [ -n "$(titled "$title")" ] || e2e_fail "$lang: the notice went by itself"

  # OK only hides the notice; the console goes on.
  xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers Return
  sleep 1
  [ -z "$(titled "$title")" ] || e2e_fail "$lang: OK left the notice"
  kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "$lang: OK on the notice ended the console"
  e2e_key alt+F4
  e2e_wait_exit 15 || e2e_fail "$lang: Alt+F4 did not end the console"
  grep -q 'SaveData="0"' "$E2E_DIR/appConfig.xml" || e2e_fail "$lang: settings not written on exit"
  cmp -s "${copies[0]}" "$E2E_DIR/original.xml" || e2e_fail "$lang: the copy changed after the save"
done
e2e_pass
