# Shared steps of the end-to-end tests: a fresh folder with the built binaries, the console started
# under Wine on the test display, its window found with xdotool, keys and clicks sent to it.
# Expects ROVA_BIN_DIR (set by ctest), WINEPREFIX and DISPLAY (set by scripts/test).
: "${ROVA_BIN_DIR:?run through ctest}"
: "${DISPLAY:?needs a display (scripts/test starts Xvfb)}"
export WINEDEBUG=${WINEDEBUG:--all}
E2E_DIR=""
E2E_ROOT=""
E2E_PID=""
E2E_WINDOW=""

e2e_fail() {
  echo "FAIL: $*" >&2
  if [ -n "$E2E_DIR" ] && command -v import >/dev/null; then
    local shot="${E2E_ROOT:-$E2E_DIR}.fail.png"
    import -window root "$shot" 2>/dev/null && echo "screen at failure: $shot" >&2
  fi
  exit 1
}

e2e_pass() { echo "PASS: $(basename "$0")"; exit 0; }

e2e_cleanup() {
  if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; then
    kill "$E2E_PID" 2>/dev/null || true
    sleep 0.5
  fi
  # Only the consoles started from this script's folder: other runs on the machine keep theirs.
  if [ -n "$E2E_DIR" ]; then
    local pid
    for pid in $(pgrep -f "ROVA_MTT.exe" 2>/dev/null); do
      [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$E2E_DIR" ] && kill "$pid" 2>/dev/null
    done
  fi
  local root=${E2E_ROOT:-$E2E_DIR}
  [ -n "$root" ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$root"
  return 0
}
trap e2e_cleanup EXIT

# With a name, the console goes into a folder of that name inside the fresh one (an operator's
# folder with a name of their own); E2E_DIR is where the console is, E2E_ROOT what is removed.
e2e_prepare_folder() {
  E2E_ROOT=$(mktemp -d /tmp/rova_e2e.XXXXXX)
  E2E_DIR=$E2E_ROOT
  if [ -n "${1:-}" ]; then
    E2E_DIR="$E2E_ROOT/$1"
    mkdir -p "$E2E_DIR"
  fi
  cp "$ROVA_BIN_DIR"/ROVA_MTT.exe "$ROVA_BIN_DIR"/ROVA_*.dll "$E2E_DIR"/
  cp "$ROVA_BIN_DIR"/Radar_Config.ini "$E2E_DIR"/ 2>/dev/null || true
}

e2e_start_console() {
  (cd "$E2E_DIR" && exec wine ./ROVA_MTT.exe "$@") >/dev/null 2>&1 &
  E2E_PID=$!
}

# Main windows of the console: top-level X windows of the ROVA_MTT.exe process that are mapped.
e2e_windows() { xdotool search --onlyvisible --classname "rova_mtt.exe" 2>/dev/null || true; }
e2e_window_count() { e2e_windows | wc -l; }

# Waits until the console's largest visible window exists; sets E2E_WINDOW.
e2e_wait_window() {
  local timeout=${1:-30}
  for _ in $(seq 1 $((timeout * 5))); do
    local best="" bestArea=0
    for w in $(e2e_windows); do
      local geo
      geo=$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ {print $2}')
      local area=$(( ${geo%x*} * ${geo#*x} ))
      if [ "$area" -gt "$bestArea" ]; then best=$w; bestArea=$area; fi
    done
    if [ -n "$best" ]; then E2E_WINDOW=$best; return 0; fi
    sleep 0.2
  done
  return 1
}

e2e_key() {
  xdotool windowactivate --sync "$E2E_WINDOW" >/dev/null 2>&1 || xdotool windowfocus "$E2E_WINDOW" 2>/dev/null || true
  xdotool key --clearmodifiers "$@"
  sleep 0.2
}

e2e_wait_exit() {
  local timeout=${1:-15}
  for _ in $(seq 1 $((timeout * 5))); do
    kill -0 "$E2E_PID" 2>/dev/null || { wait "$E2E_PID" 2>/dev/null || true; E2E_PID=""; return 0; }
    sleep 0.2
  done
  return 1
}

e2e_screenshot() { import -window root "$1"; }

# Asks the running console through rova_probe.exe (tools/probe): e2e_probe rect|text|state <id> | dialogs
e2e_probe() { wine "$ROVA_BIN_DIR/rova_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# Clicks the centre of control <id> with the real mouse.
e2e_click_control() {
  local rect
  rect=$(e2e_probe rect "$1") || return 1
  set -- $rect
  [ $# -eq 4 ] || return 1
  xdotool mousemove --sync $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 )) click 1
  sleep 0.3
}

# Waits until a window of the console other than the main one shows (a message box, a dialog);
# prints its probe line.
e2e_wait_dialog() {
  local timeout=${1:-15} line
  for _ in $(seq 1 $((timeout * 2))); do
    line=$(e2e_probe dialogs | head -1)
    if [ -n "$line" ]; then echo "$line"; return 0; fi
    sleep 0.5
  done
  return 1
}

# Closes the frontmost dialog of the console with Enter (a message box's OK).
e2e_dismiss_dialog() {
  local hwnd
  hwnd=$(e2e_probe dialogs | head -1 | cut -d' ' -f1)
  [ -n "$hwnd" ] || return 1
  xdotool key --clearmodifiers Return
  sleep 0.5
}

# Clicks button <id> of the console's frontmost other window (a message box: 1 = OK) with the real mouse.
e2e_click_dialog_button() {
  local hwnd rect
  hwnd=$(e2e_probe dialogs | head -1 | cut -d' ' -f1)
  [ -n "$hwnd" ] || return 1
  rect=$(e2e_probe rect "$1" "$hwnd") || return 1
  set -- $rect
  [ $# -eq 4 ] || return 1
  xdotool mousemove --sync $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 )) click 1
  sleep 0.5
}

# Waits until `e2e_probe state <id>` prints the expected "visible enabled checked".
e2e_wait_state() {
  local id=$1 expected=$2 timeout=${3:-10} state=""
  for _ in $(seq 1 $((timeout * 4))); do
    state=$(e2e_probe state "$id")
    [ "$state" = "$expected" ] && return 0
    sleep 0.25
  done
  echo "control $id: state '$state', expected '$expected'" >&2
  return 1
}

# Waits until a window of the console matching the extended regular expression shows; prints it.
e2e_wait_dialog_matching() {
  local pattern=$1 timeout=${2:-15} line
  for _ in $(seq 1 $((timeout * 2))); do
    line=$(e2e_probe dialogs | grep -E "$pattern" | head -1 || true)
    if [ -n "$line" ]; then echo "$line"; return 0; fi
    sleep 0.5
  done
  return 1
}

# The number of a control id from res/resource.h, the one list of ids: e2e_id IDC_BTN_START
e2e_id() {
  local value
  value=$(awk -v name="$1" '$1 == "#define" && $2 == name { print $3; exit }' "${ROVA_SOURCE_DIR:?run through ctest}/res/resource.h")
  [ -n "$value" ] || e2e_fail "no id $1 in res/resource.h"
  echo "$value"
}

# Detect Device on the console just started (the simulated sensor, or what the prefix offers) and
# its message confirmed; E2E_CONSOLE_PID is then the Wine process of the console (E2E_PID is the
# launcher's). Returns 1 with the reason on stderr.
e2e_detect() {
  local detect start pid
  detect=$(e2e_id IDC_BTN_DETECT_DEVICE); start=$(e2e_id IDC_BTN_START)
  e2e_wait_window 60 || { echo "no main window" >&2; return 1; }
  e2e_click_control "$detect"
  e2e_wait_dialog_matching "Detected|检测到" 30 >/dev/null || { echo "no detection message: $(e2e_probe dialogs)" >&2; return 1; }
  e2e_click_dialog_button 1 || { echo "the detection message has no OK button" >&2; return 1; }
  e2e_wait_state "$start" "1 1 0" 15 || { echo "Start not enabled after the detection" >&2; return 1; }
  E2E_CONSOLE_PID=""
  for pid in $(pgrep -f "ROVA_MTT.exe"); do
    [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$E2E_DIR" ] && E2E_CONSOLE_PID="$pid"
  done
  [ -n "$E2E_CONSOLE_PID" ] || { echo "no console process" >&2; return 1; }
}
