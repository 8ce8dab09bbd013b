#!/bin/bash
# The signal light against a Modbus RTU slave: links two pseudo terminals into the Wine prefix as
# COM41 and COM42 (socat), builds and runs the native slave of tools/modbus-slave on COM42, drives
# the light on COM41 through open, target seen, target gone for more than 2 s and stop (the
# LightOverModbus case of areas_tests), then requires the slave's log to hold exactly the light's
# frames, each with a good CRC and function code.
# Usage: modbus_light.sh <areas_tests.exe>
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tests_exe=${1:?usage: modbus_light.sh areas_tests.exe}
if [ -z "${WINEPREFIX:-}" ]; then
  build=$(dirname "${ROVA_BIN_DIR:-$(dirname "$tests_exe")}")
  # shellcheck disable=SC1091
  source "$root/scripts/wine-env.sh" "$build"
fi
for tool in socat cc pkg-config; do
  command -v $tool >/dev/null || { echo "modbus_light.sh: $tool is not installed" >&2; exit 1; }
done
pkg-config --exists libmodbus || { echo "modbus_light.sh: libmodbus-dev is not installed" >&2; exit 1; }

work=$(mktemp -d /tmp/rova_modbus.XXXXXX)
dev="$WINEPREFIX/dosdevices"
mkdir -p "$dev"
socat_pid=""
slave_pid=""
cleanup() {
  [ -n "$slave_pid" ] && kill "$slave_pid" 2>/dev/null && wait "$slave_pid" 2>/dev/null
  [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null && wait "$socat_pid" 2>/dev/null
  rm -f "$dev/com41" "$dev/com42"
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# shellcheck disable=SC2046
cc -std=c11 -O2 -Wall -Wextra -o "$work/modbus-slave" "$root/tools/modbus-slave/modbus_slave.c" \
  $(pkg-config --cflags --libs libmodbus) || { echo "FAIL: the slave did not build" >&2; exit 1; }

rm -f "$dev/com41" "$dev/com42"
socat pty,raw,echo=0,link="$dev/com41" pty,raw,echo=0,link="$dev/com42" &
socat_pid=$!
for _ in $(seq 1 50); do [ -e "$dev/com41" ] && [ -e "$dev/com42" ] && break; sleep 0.1; done
[ -e "$dev/com42" ] || { echo "FAIL: socat did not create the port links" >&2; exit 1; }

log="$work/coils.log"
"$work/modbus-slave" "$dev/com42" 9600 "$log" &
slave_pid=$!
for _ in $(seq 1 50); do grep -q '^READY' "$log" 2>/dev/null && break; sleep 0.1; done
grep -q '^READY' "$log" 2>/dev/null || { echo "FAIL: the slave did not start" >&2; exit 1; }

out="$work/wine.out"
ROVA_LIGHT_PORT=41 wine "$tests_exe" --gtest_filter='LightOverModbus.*' 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || { echo "FAIL: the light driver failed ($status)" >&2; exit 1; }
grep -q "SKIPPED" "$out" && { echo "FAIL: the light case was skipped although the ports exist" >&2; exit 1; }
grep -q "1 test.* ran\|\[  PASSED  \] 1 test" "$out" || { echo "FAIL: the light case did not run" >&2; exit 1; }

# Let the slave read what is still in the line, then stop it.
sleep 0.5
kill "$slave_pid" 2>/dev/null; wait "$slave_pid" 2>/dev/null; slave_pid=""

expected="$work/expected.log"
cat > "$expected" <<'FRAMES'
WRITE_COIL 2 ON 01 05 00 02 FF 00 2D FA
WRITE_COIL 2 OFF 01 05 00 02 00 00 6C 0A
WRITE_COIL 0 ON 01 05 00 00 FF 00 8C 3A
WRITE_COIL 0 OFF 01 05 00 00 00 00 CD CA
WRITE_COIL 2 ON 01 05 00 02 FF 00 2D FA
WRITE_COIL 2 OFF 01 05 00 02 00 00 6C 0A
WRITE_COIL 3 OFF 01 05 00 03 00 00 3D CA
FRAMES
echo "--- slave log"
cat "$log"
if ! grep -v '^READY' "$log" | diff -u "$expected" -; then
  echo "FAIL: the slave saw another sequence than open, target, no target, stop" >&2
  exit 1
fi
echo "PASS: modbus_light.sh"
