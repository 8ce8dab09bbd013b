# Sourced by the serial sensor scripts: a socat pty pair with one end linked into the Wine prefix
# as COM<port>, and the native sensor emulator (tools/sensor-emulator) on the other end.
# Expects: $work (a private folder), $port, $WINEPREFIX, and a function fail <message>.
emu_link="$WINEPREFIX/dosdevices/com$port"
socat_pid=""
emu_pid=""
watch_pid=""
mkdir -p "$WINEPREFIX/dosdevices"

build_emulator() {
  "$root/tools/sensor-emulator/build.sh" "$work/sensor-emulator" || fail "the emulator did not build"
}
stop_emulator() {
  [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null && wait "$emu_pid" 2>/dev/null
  emu_pid=""
}
stop_line() {
  stop_emulator
  [ -n "$watch_pid" ] && kill "$watch_pid" 2>/dev/null && wait "$watch_pid" 2>/dev/null
  watch_pid=""
  [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null && wait "$socat_pid" 2>/dev/null
  socat_pid=""
  rm -f "$emu_link" "$work/sensor"
}
start_line() {
  rm -f "$emu_link" "$work/sensor"
  socat pty,raw,echo=0,link="$emu_link" pty,raw,echo=0,link="$work/sensor" &
  socat_pid=$!
  for _ in $(seq 1 50); do [ -e "$emu_link" ] && [ -e "$work/sensor" ] && break; sleep 0.1; done
  [ -e "$emu_link" ] && [ -e "$work/sensor" ] || fail "socat did not create the port links"
}
# start_emulator <log> [options...]
start_emulator() {
  local log=$1; shift
  : > "$log"
  "$work/sensor-emulator" --log "$log" "$@" "$work/sensor" &
  emu_pid=$!
  for _ in $(seq 1 50); do grep -q '^READY' "$log" 2>/dev/null && break; sleep 0.1; done
  grep -q '^READY' "$log" || fail "the emulator did not start"
}
# For the scripts that drive the console (after e2e_lib.sh): failures go through e2e_fail, and on
# exit the console, the line and the work folder go; then the emulator is built.
emu_e2e_setup() {
  fail() { e2e_fail "$@"; }
  trap 'e2e_cleanup; stop_line; rm -rf "$work"' EXIT
  build_emulator
}
