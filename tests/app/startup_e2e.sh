#!/usr/bin/env bash
# Starts the real console under Wine: first start creates appConfig.xml, a second start ends at
# once leaving one main window, Alt+F4 ends the console and the settings are written on exit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

e2e_prepare_folder
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"

[ -f "$E2E_DIR/appConfig.xml" ] || e2e_fail "appConfig.xml was not created"
grep -q "<AppConfig" "$E2E_DIR/appConfig.xml" || e2e_fail "appConfig.xml has no AppConfig element"

# A second start hands over to the running console and ends within two seconds.
start=$(date +%s%N)
(cd "$E2E_DIR" && timeout 20 wine ./ROVA_MTT.exe) || e2e_fail "second instance failed or hung"
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "second instance ended after ${elapsed_ms} ms"
[ "$elapsed_ms" -lt 2000 ] || e2e_fail "second instance took ${elapsed_ms} ms"
sleep 1
count=$(e2e_window_count)
[ "$count" -eq 1 ] || e2e_fail "expected one main window, found $count"

# Escape and Enter leave the console open.
e2e_key Escape
e2e_key Return
sleep 1
kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "Escape/Enter closed the console"

e2e_key alt+F4
e2e_wait_exit 15 || e2e_fail "Alt+F4 did not end the console"
grep -q 'SaveData="0"' "$E2E_DIR/appConfig.xml" || e2e_fail "settings were not written on exit: $(cat "$E2E_DIR/appConfig.xml")"
grep -q 'SaveDataPath=".*SaveData"' "$E2E_DIR/appConfig.xml" || e2e_fail "save path not written on exit"
e2e_pass
