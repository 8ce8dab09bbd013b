#!/usr/bin/env bash
# Detect Device with many silent serial ports: links N pseudo terminals (default 32) into the Wine
# prefix as COM20 upwards, nothing answering on them, and runs detect_bench.exe.
# Usage: bench/detect/detect_bench.sh [N]   (after scripts/build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ROVA_BUILD_DIR:-$root/build}
count=${1:-32}
[ -z "${WINEPREFIX:-}" ] && source "$root/scripts/wine-env.sh" "$build"
work=$(mktemp -d /tmp/rova_detect_bench.XXXXXX)
pids=()
links=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -f "${links[@]}"
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$WINEPREFIX/dosdevices"
for i in $(seq 20 $(( 19 + count ))); do
  link="$WINEPREFIX/dosdevices/com$i"
  rm -f "$link"
  # The far end is kept open by a reader that never answers.
  socat pty,raw,echo=0,link="$link" pty,raw,echo=0,link="$work/far$i" >/dev/null 2>&1 &
  pids+=($!)
  links+=("$link")
done
for _ in $(seq 1 50); do [ -e "$WINEPREFIX/dosdevices/com$(( 19 + count ))" ] && break; sleep 0.1; done
cd "$build/bin"
wine ./detect_bench.exe 2>${BENCH_STDERR:-/dev/null} | tr -d '\r'
