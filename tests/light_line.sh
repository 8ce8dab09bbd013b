# Sourced by the serial sensor scripts: the signal light's line, a socat pty pair with one end
# linked into the Wine prefix as COM<light_port> and the Modbus slave of tools/modbus-slave on the
# other (outside the prefix, so Detect Device never probes it).
# Expects: $root, $work (a private folder), $light_port, $WINEPREFIX.
light_link="$WINEPREFIX/dosdevices/com$light_port"
light_socat=""
slave_pid=""
coils=""
mkdir -p "$WINEPREFIX/dosdevices"

build_modbus_slave() {
  pkg-config --exists libmodbus || e2e_fail "libmodbus-dev is not installed"
  # shellcheck disable=SC2046
  cc -std=c11 -O2 -Wall -Wextra -o "$work/modbus-slave" "$root/tools/modbus-slave/modbus_slave.c" \
    $(pkg-config --cflags --libs libmodbus) || e2e_fail "the Modbus slave did not build"
}
stop_light_line() {
  [ -n "$slave_pid" ] && kill "$slave_pid" 2>/dev/null && wait "$slave_pid" 2>/dev/null
  [ -n "$light_socat" ] && kill "$light_socat" 2>/dev/null && wait "$light_socat" 2>/dev/null
  slave_pid=""; light_socat=""
  rm -f "$light_link" "$work/light"
}
# start_light_line <coil log>: the pair and the slave on its far end, which logs every coil write.
start_light_line() {
  coils=$1
  rm -f "$light_link" "$work/light"
  socat pty,raw,echo=0,link="$light_link" pty,raw,echo=0,link="$work/light" &
  light_socat=$!
  for _ in $(seq 1 50); do [ -e "$light_link" ] && [ -e "$work/light" ] && break; sleep 0.1; done
  [ -e "$light_link" ] && [ -e "$work/light" ] || e2e_fail "socat did not create the light's port links"
  "$work/modbus-slave" "$work/light" 9600 "$coils" &
  slave_pid=$!
  for _ in $(seq 1 50); do grep -q '^READY' "$coils" 2>/dev/null && break; sleep 0.1; done
  grep -q '^READY' "$coils" || e2e_fail "the Modbus slave did not start"
}
