#!/usr/bin/env bash
# A serial sensor that goes quiet and comes back: plays the sensor emulator on a pseudo terminal
# linked into the Wine prefix as COM30 and runs link_bench.exe, killing the emulator and starting
# it again whenever the benchmark asks (kill-N and restart-N files in a shared folder).
# Usage: bench/link/link_bench.sh [trials]   (after scripts/build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ROVA_BUILD_DIR:-$root/build}
trials=${1:-5}
[ -z "${WINEPREFIX:-}" ] && source "$root/scripts/wine-env.sh" "$build"
work=$(mktemp -d /tmp/rova_link_bench.XXXXXX)
port=30
fail() { echo "link_bench.sh: $*" >&2; exit 1; }
source "$root/tests/emulator_line.sh"
cleanup() {
  [ -n "${watch_pid:-}" ] && kill "$watch_pid" 2>/dev/null || true
  [ -f "$work/emulator.pid" ] && kill "$(cat "$work/emulator.pid")" 2>/dev/null || true
  watch_pid=""
  stop_line || true
  rm -rf "$work"
}
trap cleanup EXIT
build_emulator
start_line
# Run in the background, it becomes the emulator itself, so its pid is the emulator's.
emulate() { exec "$work/sensor-emulator" --log "$work/sensor.log" --tracks --fixed "3.0,10,-0.5" --fps 20 "$work/sensor"; }
mkdir -p "$work/requests"
(
  emulate & pid=$!
  echo "$pid" > "$work/emulator.pid"
  for n in $(seq 1 "$trials"); do
    while [ ! -e "$work/requests/kill-$n" ]; do sleep 0.01; done
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
    while [ ! -e "$work/requests/restart-$n" ]; do sleep 0.01; done
    emulate & pid=$!
    echo "$pid" > "$work/emulator.pid"
  done
  wait "$pid"
) &
watch_pid=$!
sleep 0.5
cd "$build/bin"
ROVA_SENSOR_PORT=$port ROVA_BENCH_TRIALS=$trials ROVA_BENCH_REQUESTS="Z:$(echo "$work/requests" | tr '/' '\\')" \
  wine ./link_bench.exe 2>&1 | tr -d '\r'
