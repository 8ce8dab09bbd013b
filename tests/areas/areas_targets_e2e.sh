#!/usr/bin/env bash
# The real console with a sensor that reports one target standing still (the sensor emulator on
# COM8): a light area drawn around the target turns to its active colour while the run goes and
# the target stands in it; a detect area drawn elsewhere keeps the target off the view and leaves
# the light area inactive.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../e2e_lib.sh"
for tool in socat g++ xdotool convert; do
  command -v $tool >/dev/null || e2e_fail "$tool is not installed"
done

IDC_DETECT=1090; IDC_START=1091; IDC_AREAS=1092; IDC_VIEW=1200
IDC_ADD_LIGHT_AREA=2006; IDC_SET_DETECT_AREA=2008
work=$(mktemp -d /tmp/rova_area_targets.XXXXXX)
port=8
source "$here/../emulator_line.sh"
emu_e2e_setup
start_line
# Targets tracked by the module: the console shows a target standing still (its own tracking
# reports only targets that moved), and the detect bound applies to them as well.
start_emulator "$work/sensor.log" --tracks --fixed "3.0,0,-0.4" --fps 20

e2e_prepare_folder
# The detect area's buttons are offered only with AlgorithmAreaEnable.
printf '<?xml version="1.0"?>\n<AppConfig Language="ENG" AlgorithmAreaEnable="1" />\n' > "$E2E_DIR/appConfig.xml"
sed -i 's/^AlgorithmOnMcu=.*/AlgorithmOnMcu=10/' "$E2E_DIR/Radar_Config.ini"
e2e_start_console
e2e_wait_window || e2e_fail "no main window"

e2e_click_control $IDC_DETECT
msg=$(e2e_wait_dialog_matching "Detected" 20) || e2e_fail "no detection message: $(e2e_probe dialogs)"
e2e_click_dialog_button 1 || e2e_fail "the message box has no OK button"
e2e_wait_state $IDC_START "1 1 0" 15 || e2e_fail "Start not enabled after the detection"
grep -q '^IDENTIFY' "$work/sensor.log" || e2e_fail "the console did not find the emulator"

run() {  # run start|stop
  local want="1 1 1"; [ "$1" = stop ] && want="1 1 0"
  e2e_click_control $IDC_START || e2e_fail "Start not found"
  e2e_wait_state $IDC_START "$want" 10 || e2e_fail "the run did not $1"
}
view=$(e2e_probe rect $IDC_VIEW); set -- $view
view_geometry="${3}x${4}+${1}+${2}"; vx=$1; vy=$2
shot() { import -window root -crop "$view_geometry" +repage "$1"; }
# White pixels (the target's disc) inside a square of the view around (x, y).
white_near() {
  convert "$1" -crop "80x80+$(( $2 - vx - 40 ))+$(( $3 - vy - 40 ))" +repage -fuzz 12% -fill black +opaque white \
    -fill white -opaque white -format "%[fx:int(mean*w*h)]" info:
}
colour_at() { convert "$1" -crop "1x1+$(( $2 - vx ))+$(( $3 - vy ))" -format "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]" info:; }
# Draws a rectangle through the Area Monitor dialog's button <id>, then hides the dialog.
draw_area() {
  local button=$1 x0=$2 y0=$3 x1=$4 y1=$5 dlg hwnd rect box
  e2e_click_control $IDC_AREAS
  dlg=$(e2e_wait_dialog_matching "Area Monitor" 10) || e2e_fail "Area Monitor did not open"
  hwnd=${dlg%% *}
  rect=$(e2e_probe rect "$button" "$hwnd"); set -- $rect
  xdotool mousemove --sync $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 )) click 1
  sleep 0.5
  for p in "$x0 $y0" "$x1 $y0" "$x1 $y1" "$x0 $y1"; do
    set -- $p
    xdotool mousemove --sync "$1" "$2" click 1
    sleep 0.3
  done
  xdotool click 3
  sleep 1
  # Escape hides it; without a window manager it must be given the keyboard first (Wine may keep
  # an earlier X window of it around, so every one is tried).
  for box in $(xdotool search --onlyvisible --name '^Area Monitor$'); do
    xdotool windowactivate --sync "$box" >/dev/null 2>&1 || xdotool windowfocus "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Escape
    sleep 1
    [ -z "$(e2e_probe dialogs)" ] && break
  done
  [ -z "$(e2e_probe dialogs)" ] || e2e_fail "the Area Monitor dialog did not hide: $(e2e_probe dialogs)"
}

# --- Where the target stands on the screen: the white disc.
run start
sleep 2
shot "$E2E_DIR/target.png"
run stop
# The disc is near-white; the view's frame is left out (shaved) as it is light too.
bbox=$(convert "$E2E_DIR/target.png" -shave 4x4 +repage -fuzz 12% -fill black +opaque white -fill white -opaque white \
  -trim -format "%w %h %X %Y" info:)
set -- $bbox
[ "$1" -ge 10 ] && [ "$1" -le 120 ] && [ "$2" -ge 10 ] && [ "$2" -le 120 ] || e2e_fail "no single disc in the view: $bbox"
tx=$(( vx + 4 + ${3#+} + $1 / 2 )); ty=$(( vy + 4 + ${4#+} + $2 / 2 ))
echo "target disc at $tx,$ty (${1}x${2})"

# --- A light area around the target: inactive while stopped, active while the target stands in it.
draw_area $IDC_ADD_LIGHT_AREA $(( tx - 120 )) $(( ty - 100 )) $(( tx + 120 )) $(( ty + 100 ))
grep -q '<MonitorArea ' "$E2E_DIR/appConfig.xml" || e2e_fail "the light area was not stored"
px=$(( tx + 80 )); py=$ty   # inside the area, clear of the disc
shot "$E2E_DIR/idle.png"
idle=$(colour_at "$E2E_DIR/idle.png" $px $py); echo "area while stopped: $idle"
set -- $idle
[ "$2" -gt $(( $1 + 60 )) ] && [ "$3" -gt $(( $1 + 60 )) ] || e2e_fail "the stopped area is not in its inactive colour: $idle"
run start
sleep 2
shot "$E2E_DIR/active.png"
active=$(colour_at "$E2E_DIR/active.png" $px $py); echo "area with the target in it: $active"
set -- $active
[ "$1" -gt $(( $3 + 60 )) ] && [ "$1" -gt "$2" ] || e2e_fail "the area does not turn to its active colour: $active"
[ "$(white_near "$E2E_DIR/active.png" $tx $ty)" -gt 100 ] || e2e_fail "the target is not drawn in the area"
run stop

# --- A detect area away from the target: the target is no longer shown and the area stays inactive.
draw_area $IDC_SET_DETECT_AREA $(( tx + 260 )) $(( ty - 80 )) $(( tx + 460 )) $(( ty + 80 ))
grep -q '<AlgorithmArea ' "$E2E_DIR/appConfig.xml" || e2e_fail "the detect area was not stored: $(cat "$E2E_DIR/appConfig.xml")"
run start
sleep 2
shot "$E2E_DIR/outside.png"
run stop
near=$(white_near "$E2E_DIR/outside.png" $tx $ty); echo "white pixels at the target outside the detect area: $near"
[ "$near" -lt 20 ] || e2e_fail "a target outside the detect area is still drawn ($near white pixels)"
outside=$(colour_at "$E2E_DIR/outside.png" $px $py); echo "area with the target outside the detect area: $outside"
set -- $outside
[ "$2" -gt $(( $1 + 60 )) ] && [ "$3" -gt $(( $1 + 60 )) ] || e2e_fail "the area turned active for a target outside the detect area: $outside"
grep -q '^FRAME' "$work/sensor.log" || e2e_fail "the emulator sent no frames"
e2e_pass
