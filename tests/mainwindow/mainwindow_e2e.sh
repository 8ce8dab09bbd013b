#!/usr/bin/env bash
# The real console on the test display: the window covers the screen with its artwork, Escape and
# Enter leave it open, its close button ends it and the settings are written on exit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

# Ends only the console this script started.
mainwindow_cleanup() {
  if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; then kill "$E2E_PID" 2>/dev/null || true; fi
  [ -n "$E2E_DIR" ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$E2E_DIR"
  return 0
}
trap mainwindow_cleanup EXIT

# Colour of one screen pixel as "r,g,b".
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

e2e_prepare_folder
e2e_start_console
e2e_wait_window || e2e_fail "no main window appeared"
sleep 2

read -r sw sh < <(xdpyinfo 2>/dev/null | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
geo=$(xdotool getwindowgeometry "$E2E_WINDOW" | awk '/Geometry/ {print $2}')
pos=$(xdotool getwindowgeometry "$E2E_WINDOW" | awk '/Position/ {print $2}')
[ "$geo" = "${sw}x${sh}" ] || e2e_fail "window is $geo, screen is ${sw}x${sh}"
[ "$pos" = "0,0" ] || e2e_fail "window at $pos"

shot="${ROVA_SCREENSHOT:-$E2E_DIR.screen.png}"
e2e_screenshot "$shot"
echo "screenshot: $shot"
# Template frame 423 x 240 dialog units; places below are template positions scaled to the screen.
at() { echo $(( $1 * sw / 423 )) $(( $2 * sh / 240 )); }
# Free surface below the button column: the dialog colour.
read -r x y < <(at 30 220)
[ "$(pixel "$shot" "$x" "$y")" = "42,50,60" ] || e2e_fail "free surface at $x,$y is $(pixel "$shot" "$x" "$y")"
# Button faces, the title logo and the close button are drawn: not the plain dialog colour at their centres.
for place in "34 30" "34 129" "12 9" "414 6"; do
  read -r x y < <(at $place)
  [ "$(pixel "$shot" "$x" "$y")" != "42,50,60" ] || e2e_fail "no artwork at $x,$y"
done

e2e_key Escape
e2e_key Return
sleep 1
kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "Escape/Enter closed the console"

# The close button, top right.
read -r x y < <(at 414 6)
xdotool mousemove "$x" "$y" click 1
e2e_wait_exit 20 || e2e_fail "the close button did not end the console"
grep -q 'SaveData="0"' "$E2E_DIR/appConfig.xml" || e2e_fail "settings not written on exit: $(cat "$E2E_DIR/appConfig.xml")"
grep -q 'SaveDataPath=".*SaveData"' "$E2E_DIR/appConfig.xml" || e2e_fail "save path not written on exit"
e2e_pass
