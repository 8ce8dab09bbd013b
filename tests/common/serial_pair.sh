#!/bin/bash
# Links two pseudo terminals as COM21 and COM22 of the Wine prefix (socat), runs the given
# command under Wine (default: nothing, the pair is just kept until Ctrl+C), then removes them.
# Usage: serial_pair.sh [program.exe [args...]]
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
  build=$(dirname "${ROVA_BIN_DIR:-$here/../../build/bin}")
  # shellcheck disable=SC1091
  source "$here/../../scripts/wine-env.sh" "$build"
fi
command -v socat >/dev/null || { echo "serial_pair.sh: socat is not installed" >&2; exit 1; }
dev="$WINEPREFIX/dosdevices"
mkdir -p "$dev"
rm -f "$dev/com21" "$dev/com22"
socat pty,raw,echo=0,link="$dev/com21" pty,raw,echo=0,link="$dev/com22" &
socat_pid=$!
cleanup() {
  kill "$socat_pid" 2>/dev/null
  wait "$socat_pid" 2>/dev/null
  rm -f "$dev/com21" "$dev/com22"
}
trap cleanup EXIT INT TERM
for _ in $(seq 1 50); do
  [ -e "$dev/com21" ] && [ -e "$dev/com22" ] && break
  sleep 0.1
done
if [ ! -e "$dev/com21" ] || [ ! -e "$dev/com22" ]; then
  echo "serial_pair.sh: socat did not create the port links" >&2
  exit 1
fi
if [ $# -eq 0 ]; then
  echo "COM21 <-> COM22 linked in $dev; Ctrl+C ends"
  wait "$socat_pid"
  exit 0
fi
# Skipped cases mean the ports were not usable: that is a failure here.
out=$(mktemp)
wine "$@" 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
if grep -q "SKIPPED" "$out"; then
  echo "serial_pair.sh: serial cases were skipped although the pair exists" >&2
  status=1
fi
rm -f "$out"
exit "$status"
