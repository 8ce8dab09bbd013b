#!/usr/bin/env bash
# The real console: a light area drawn with the mouse through the Area Monitor dialog appears in
# the view, is stored in appConfig.xml and comes back with the same pixels after a restart.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e_lib.sh"

e2e_prepare_folder
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" />\n' > "$E2E_DIR/appConfig.xml"
e2e_start_console
e2e_wait_window || e2e_fail "no main window"
view=$(e2e_probe rect 1200); set -- $view
geometry="${3}x${4}+${1}+${2}"
vx=$1; vy=$2
cx=$(( $1 + $3 / 2 )); cy=$(( $2 + $4 / 3 ))
import -window root -crop "$geometry" "$E2E_DIR/empty.png"

e2e_click_control 1092
dlg=$(e2e_wait_dialog_matching "Area Monitor" 10) || e2e_fail "Area Monitor did not open"
hwnd=${dlg%% *}
rect=$(e2e_probe rect 2006 "$hwnd"); set -- $rect
xdotool mousemove --sync $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 )) click 1
sleep 0.5
for p in "0 0" "200 0" "200 150" "0 150"; do
  set -- $p
  xdotool mousemove --sync $(( cx + $1 )) $(( cy + $2 )) click 1
  sleep 0.3
done
xdotool click 3
sleep 1
grep -q '<MonitorArea InactiveColor="16776960" ActiveColor="21724" BoundSize="[0-9]*,[0-9]*" Points="[0-9]*,[0-9]*; [0-9]*,[0-9]*; [0-9]*,[0-9]*; [0-9]*,[0-9]*; " />' \
  "$E2E_DIR/appConfig.xml" || e2e_fail "area not stored: $(cat "$E2E_DIR/appConfig.xml")"
# Escape hides the Area Monitor dialog, which covers part of the view (no window manager here:
# give it the keyboard first).
box=$(xdotool search --onlyvisible --name '^Area Monitor$' | head -1)
[ -n "$box" ] || e2e_fail "no X window for the Area Monitor dialog"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || xdotool windowfocus "$box" 2>/dev/null || true
xdotool key --clearmodifiers Escape
sleep 1
[ -z "$(e2e_probe dialogs)" ] || e2e_fail "the Area Monitor dialog did not hide: $(e2e_probe dialogs)"
# The area and its surroundings (the dialog sits left of it, Wine may not repaint under it at once).
box_geometry="$((200 + 40))x$((150 + 40))+$((cx - 20))+$((cy - 20))"
import -window root -crop "$box_geometry" "$E2E_DIR/drawn_box.png"
# The inactive colour (Windows 0xFFFF00: cyan on screen) fills the polygon's inside, blended.
inside=$(convert "$E2E_DIR/drawn_box.png" +repage -crop 1x1+120+95 -format "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]" info:)
echo "inside the area: $inside"
set -- $inside
[ "$2" -gt $(( $1 + 60 )) ] && [ "$3" -gt $(( $1 + 60 )) ] || e2e_fail "the area is not drawn in its colour: $inside"

# Leave and start again: the area comes back from the file, same pixels.
e2e_key alt+F4
e2e_wait_exit 20 || e2e_fail "the console did not end"
e2e_start_console
e2e_wait_window || e2e_fail "no main window after restart"
sleep 2
import -window root -crop "$box_geometry" "$E2E_DIR/reloaded_box.png"
diff=$(compare -metric AE "$E2E_DIR/drawn_box.png" "$E2E_DIR/reloaded_box.png" null: 2>&1 || true)
echo "pixels differing after the restart: $diff"
[ "${diff%%.*}" -lt 50 ] || e2e_fail "the area looks different after the restart ($diff pixels)"
e2e_key alt+F4
e2e_wait_exit 20 || e2e_fail "the console did not end"
e2e_pass
