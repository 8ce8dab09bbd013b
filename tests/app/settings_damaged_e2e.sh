#!/usr/bin/env bash
# A hand-edited appConfig.xml with a mismatched end tag: the console keeps the file untouched beside
# itself before writing anything, says so once in the chosen language, and goes on with what it read.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

# The console's windows titled $1 (a message box shows before the main window).
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
  [ "$lang" = CHS ] && title="提示"
  rm -f "$E2E_DIR"/appConfig.xml*
  {
    printf '<?xml version="1.0"?>\n<AppConfig Language="%s">\n' "$lang"
    for i in $(seq 1 30); do
      end=MonitorArea
      [ "$i" -eq 3 ] && end=MonitorAera
      printf '\t<MonitorArea Points="%d,1;50,60;70,80"></%s>\n' "$i" "$end"
    done
    printf '</AppConfig>\n'
  } > "$E2E_DIR/appConfig.xml"
  cp "$E2E_DIR/appConfig.xml" "$E2E_DIR/original.xml"

  e2e_start_console
  box=""
  for _ in $(seq 1 100); do
    box=$(titled "$title")
    [ -n "$box" ] && break
    sleep 0.2
  done
  [ -n "$box" ] || e2e_fail "$lang: no \"$title\" message about the damaged settings"
  copies=("$E2E_DIR"/appConfig.xml.damaged-*)
  [ ${#copies[@]} -eq 1 ] && [ -f "${copies[0]}" ] || e2e_fail "$lang: expected one damaged copy, found: ${copies[*]}"
  cmp -s "${copies[0]}" "$E2E_DIR/original.xml" || e2e_fail "$lang: the copy differs from the damaged file"
  xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers Return
  e2e_wait_window || e2e_fail "$lang: no main window after the message"
  sleep 1
  [ -z "$(titled "$title")" ] || e2e_fail "$lang: the message showed more than once"
  e2e_key alt+F4
  e2e_wait_exit 15 || e2e_fail "$lang: Alt+F4 did not end the console"
  grep -q 'SaveData="0"' "$E2E_DIR/appConfig.xml" || e2e_fail "$lang: settings not written on exit"
  cmp -s "${copies[0]}" "$E2E_DIR/original.xml" || e2e_fail "$lang: the copy changed after the save"
done
e2e_pass
