#!/usr/bin/env bash
# Long-run evidence: the real ROVA_MTT.exe under its own Xvfb streams the simulated sensor
# (10 walkers, tracks drawn, a monitor area over the whole fan so zone events are written) with its
# frames delivered SPEEDUP times faster than the sensor's period (ROVA_SIM_SPEEDUP: stream times and
# the scene keep the period), so an hour of the bench holds SPEEDUP hours of frames, as far as the
# console keeps up. Every INTERVAL seconds it prints resident memory, handles, GDI and USER objects,
# threads, open file descriptors, the files in Log\ and SaveData\ and the frames per second; at
# the end the frames the run counted (also as hours at the sensor's 15 frames/s) and the growth of each figure
# between the first sample after the warm-up and the last, and the highest in between.
# Usage: bench/console/soak_bench.sh [minutes] [speedup] [interval-seconds]
#   (after scripts/build; defaults: 10 times, as many minutes as 72 hours of frames take at that
#   speedup (432), 60 s; SOAK_SAVE_DATA=1 records raw data too)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${ROVA_BUILD_DIR:-$root/build}
speedup=${2:-10}
# Unless told otherwise, as long as 72 hours of the sensor's frames take at this speedup.
minutes=${1:-$(( 72 * 60 / speedup ))}
[ "$minutes" -ge 1 ] || minutes=1
interval=${3:-60}
export ROVA_BIN_DIR=$build/bin ROVA_SOURCE_DIR=$root
unset DISPLAY
export ROVA_SCREEN=1920x1080x24
source "$root/scripts/wine-env.sh" "$build"
xvfb_pid=${ROVA_XVFB_PID:?no Xvfb started}
source "$root/tests/e2e_lib.sh"
work=$(mktemp -d /tmp/rova_soak_bench.XXXXXX)
bench_cleanup() { e2e_cleanup; kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap bench_cleanup EXIT
fail() { echo "soak_bench: $*" >&2; exit 1; }
IDC_START=$(e2e_id IDC_BTN_START)
IDC_STATUS=$(e2e_id IDC_STATIC_LINK_STATUS)

e2e_prepare_folder
ini=$E2E_DIR/Radar_Config.ini
sed -i -e 's/^TargetCount=.*/TargetCount=10/' -e 's/^Seed=.*/Seed=4242/' -e 's/^MaxTargets=.*/MaxTargets=16/' "$ini"
grep -q '^Seed=4242' "$ini" && grep -q '^TargetCount=10' "$ini" || fail "Radar_Config.ini has no simulation keys"
cat > "$E2E_DIR/appConfig.xml" <<XML
<?xml version="1.0"?>
<AppConfig Language="ENG" ObjectCountType="1" ObjectWnd_DrawLocus="1" SaveData="${SOAK_SAVE_DATA:-0}">
  <MonitorArea InactiveColor="4210816" ActiveColor="255" BoundSize="1000,1000" Points="0,0; 0,1000; 1000,1000; 1000,0; " />
</AppConfig>
XML

ROVA_SIM_SPEEDUP=$speedup e2e_start_console
e2e_detect || fail "the detection failed"
console=$E2E_CONSOLE_PID
e2e_click_control $IDC_START || fail "Start not found"
e2e_wait_state $IDC_START "1 1 1" 15 || fail "the run did not start"
xdotool mousemove 0 0

# Frames delivered per second as the status shows them (the link's own count).
fps() { e2e_probe text $IDC_STATUS | grep -Eo '[0-9]+(\.[0-9]+)? fps' | head -1 | cut -d' ' -f1; }
sample() {
  local rss threads fds files res
  kill -0 "$console" 2>/dev/null || fail "the console ended"
  rss=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$console/status")
  threads=$(ls "/proc/$console/task" | wc -l)
  fds=$(ls "/proc/$console/fd" | wc -l)
  files=$(find "$E2E_DIR/Log" "$E2E_DIR/SaveData" -type f 2>/dev/null | wc -l)
  res=$(e2e_probe resources)
  set -- $res
  printf '%s %s %s %s %s %s %s %s %s\n' "$(date +%s)" "$rss" "${1:--1}" "${2:--1}" "${3:--1}" "$threads" "$fds" "$files" "$(f=$(fps); echo "${f:-0}")"
}
echo "soak: $minutes min, frames $speedup times the sensor's pace, a sample every $interval s"
printf '%8s %10s %8s %6s %6s %8s %5s %6s %8s  %s\n' elapsed rss_kB handles gdi user threads fds files fps status
start=$(date +%s)
end=$(( start + minutes * 60 ))
: > "$work/samples"
while :; do
  line=$(sample)
  echo "$line" >> "$work/samples"
  set -- $line
  printf '%8s %10s %8s %6s %6s %8s %5s %6s %8s  %s\n' "$(( $1 - start ))" "$2" "$3" "$4" "$5" "$6" "$7" "$8" "$9" \
    "$(e2e_probe text $IDC_STATUS)"
  [ "$(date +%s)" -ge "$end" ] && break
  sleep "$interval"
done
python3 - "$work/samples" <<'PY'
import sys
rows = [[int(x) for x in l.split()[:8]] + [float(l.split()[8]) if len(l.split()) > 8 else 0.0]
        for l in open(sys.argv[1]) if l.strip()]
names = ["rss_kB", "handles", "gdi", "user", "threads", "fds", "files"]
# The first sample is taken right after the start; the second is the warm baseline.
base = rows[1] if len(rows) > 2 else rows[0]
last = rows[-1]
elapsed = last[0] - rows[0][0]
print(f"\nsampled for {elapsed} s")
print(f"{'figure':<8} {'warm':>10} {'last':>10} {'highest':>10} {'growth':>10}")
for i, n in enumerate(names, start=1):
    if base[i] < 0:
        print(f"{n:<8} {'not counted by this system':>43}")
        continue
    high = max(r[i] for r in rows[1:] or rows)
    print(f"{n:<8} {base[i]:>10} {last[i]:>10} {high:>10} {last[i] - base[i]:>+10}")
PY
xdotool mousemove 0 0
e2e_click_control $IDC_START
e2e_wait_state $IDC_START "1 1 0" 30 || fail "the run did not stop"
# The run's own count of its frames, from the line its event log ends with.
total=$(grep -ho 'run stopped: [0-9]* frames' "$E2E_DIR"/Log/ROVA_MTT_Link_*.txt | tail -1 | grep -Eo '[0-9]+' | head -1)
[ -n "$total" ] || fail "the run's event log has no frame count"
seconds=$(( $(date +%s) - start ))
echo "frames delivered: $total in $seconds s ($(( total / (seconds > 0 ? seconds : 1) )) /s), $(echo "scale=2; $total / 15 / 3600" | bc) hours of frames at the sensor's 15 frames/s"
