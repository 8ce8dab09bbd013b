# Shared steps of the end-to-end tests: a fresh folder with the built binaries, the console started
# under Wine on the test display, its window found with xdotool, keys and clicks sent to it.
# Expects ROVA_BIN_DIR (set by ctest), WINEPREFIX and DISPLAY (set by scripts/test).
: "${ROVA_BIN_DIR:?run through ctest}"
: "${DISPLAY:?needs a display (scripts/test starts Xvfb)}"
export WINEDEBUG=${WINEDEBUG:--all}
E2E_DIR=""
E2E_PID=""
E2E_WINDOW=""

e2e_fail() {
  echo "FAIL: $*" >&2
  if [ -n "$E2E_DIR" ] && command -v import >/dev/null; then
    import -window root "$E2E_DIR.fail.png" 2>/dev/null && echo "screen at failure: $E2E_DIR.fail.png" >&2
  fi
  exit 1
}

e2e_pass() { echo "PASS: $(basename "$0")"; exit 0; }

e2e_cleanup() {
  if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; then
    kill "$E2E_PID" 2>/dev/null || true
    sleep 0.5
    pkill -f "ROVA_MTT.exe" 2>/dev/null || true
  fi
  [ -n "$E2E_DIR" ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$E2E_DIR"
  return 0
}
trap e2e_cleanup EXIT

e2e_prepare_folder() {
  E2E_DIR=$(mktemp -d /tmp/rova_e2e.XXXXXX)
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
