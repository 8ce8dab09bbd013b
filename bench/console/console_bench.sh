#!/usr/bin/env bash
# Streaming cost of the whole console: the real ROVA_MTT.exe under its own Xvfb at 1920x1080 with
# the simulated sensor in a fixed scene (seeded, 10 walkers, tracks drawn, 31 monitor areas and
# 20 monitor points), streaming for a fixed time. Prints, from the kernel's accounting of the
# Wine process's threads and of the X server, the frames the view painted per second and the CPU
# time per painted frame, each also as a ratio to one 1900x1000 frame copy timed in the same run.
# Usage: bench/console/console_bench.sh [seconds]   (after scripts/build; the view must be built
# with its paint counter, which it answers only when ROVA_COUNT_PAINTS is set)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${ROVA_BUILD_DIR:-$root/build}
seconds=${1:-20}
export ROVA_BIN_DIR=$build/bin ROVA_SOURCE_DIR=$root
unset DISPLAY  # a display of our own, so the X server's time is the console's alone
export ROVA_SCREEN=1920x1080x24
source "$root/scripts/wine-env.sh" "$build"
xvfb_pid=${ROVA_XVFB_PID:?no Xvfb started}
source "$root/tests/e2e_lib.sh"
work=$(mktemp -d /tmp/rova_console_bench.XXXXXX)
bench_cleanup() { e2e_cleanup; kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap bench_cleanup EXIT
fail() { echo "console_bench: $*" >&2; exit 1; }
IDC_START=1091; IDC_VIEW=1200

# --- One frame copy, the yardstick (native code, the frames in the cache, median of 41).
cat > "$work/copy.c" <<'C'
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
static int cmp(const void* a, const void* b) { double x = *(const double*)a, y = *(const double*)b; return x < y ? -1 : x > y; }
int main(void) {
    size_t n = 1900u * 1000u * 4u;
    char* a = malloc(n); char* b = malloc(n);
    memset(a, 7, n); memset(b, 1, n);
    double t[41];
    for (int i = 0; i < 41; ++i) {
        struct timespec s, e;
        clock_gettime(CLOCK_MONOTONIC, &s);
        memcpy(b, a, n);
        __asm__ volatile("" ::"r"(b) : "memory");
        clock_gettime(CLOCK_MONOTONIC, &e);
        t[i] = (e.tv_sec - s.tv_sec) + (e.tv_nsec - s.tv_nsec) * 1e-9;
    }
    qsort(t, 41, sizeof t[0], cmp);
    printf("%.9f\n", t[20]);
    return b[n / 2] == 7 ? 0 : 1;
}
C
cc -O2 -o "$work/copy" "$work/copy.c" || fail "cannot build the frame copy timer"
copy=$("$work/copy") || fail "frame copy timer failed"

# --- The scene.
e2e_prepare_folder
ini=$E2E_DIR/Radar_Config.ini
sed -i -e 's/^TargetCount=.*/TargetCount=10/' -e 's/^Seed=.*/Seed=4242/' -e 's/^MaxTargets=.*/MaxTargets=16/' "$ini"
grep -q '^Seed=4242' "$ini" && grep -q '^TargetCount=10' "$ini" || fail "Radar_Config.ini has no simulation keys"
{
  echo '<?xml version="1.0"?>'
  echo '<AppConfig Language="ENG" ObjectCountType="1" ObjectWnd_DrawLocus="1" ObjectWnd_DisplayTime="3000">'
  # 31 monitor areas: small quadrilaterals on a grid over a 1000x1000 fan (rescaled by the view).
  for i in $(seq 0 30); do
    r=$(( 150 + (i / 8) * 200 )); c=$(( 60 + (i % 8) * 115 ))
    echo "  <MonitorArea InactiveColor=\"$(( 0x404080 + i * 0x000400 ))\" ActiveColor=\"255\" BoundSize=\"1000,1000\" Points=\"$r,$c; $r,$((c + 80)); $((r + 120)),$((c + 90)); $((r + 120)),$((c - 10)); \" />"
  done
  # 20 monitor points (range in gates, angle in degrees from the right-hand baseline) in one element.
  pos=""
  for i in $(seq 0 19); do pos="$pos$(( 5 + (i % 5) * 5 )).5,$(( -40 - (i / 5) * 27 - (i % 5) * 3 )); "; done
  echo "  <MonitorPoint Enable=\"1\" RadiusScale=\"1\" Position=\"$pos\" />"
  echo '</AppConfig>'
} > "$E2E_DIR/appConfig.xml"

# --- Start, detect the simulated sensor, start the run.
ROVA_COUNT_PAINTS=1 e2e_start_console
e2e_detect || fail "the detection failed"
console=$E2E_CONSOLE_PID
ls /proc/"$console"/task > "$work/before_start"
e2e_click_control $IDC_START || fail "Start not found"
e2e_wait_state $IDC_START "1 1 1" 60 || fail "the run did not start"
sleep 4  # tracks build up, the areas and points settle into their pattern

paints() {
  local n; n=$(e2e_probe text $IDC_VIEW)
  [[ "$n" =~ ^[0-9]+$ ]] || fail "the view does not count its paints (built without the counter?): '$n'"
  echo "$n"
}
# utime+stime (clock ticks) of every thread: "tid name ticks".
threads() {
  local t
  for t in /proc/"$console"/task/*; do
    awk -v tid="${t##*/}" '{ s=$0; sub(/^[^)]*\) /, "", s); split(s, f, " "); n=$0; sub(/^[^(]*\(/, "", n); sub(/\).*/, "", n); gsub(/ /, "_", n); print tid, n, f[12] + f[13] }' "$t/stat" 2>/dev/null
  done
}
xticks() { awk '{ s=$0; sub(/^[^)]*\) /, "", s); split(s, f, " "); print f[12] + f[13] }' "/proc/$xvfb_pid/stat"; }

p0=$(paints); threads > "$work/t0"; x0=$(xticks); s0=$(date +%s.%N)
# ROVA_BENCH_DURING=<command> runs beside the streaming (e.g. a profiler), with the console's and
# the X server's process ids in ROVA_CONSOLE_PID and ROVA_XVFB_PID; it should end within the time.
if [ -n "${ROVA_BENCH_DURING:-}" ]; then
  ROVA_CONSOLE_PID=$console ROVA_XVFB_PID=$xvfb_pid bash -c "$ROVA_BENCH_DURING" &
fi
sleep "$seconds"
p1=$(paints); threads > "$work/t1"; x1=$(xticks); s1=$(date +%s.%N)
# ROVA_BENCH_SHOT=<file.png> keeps a picture of the screen, to see the scene that was measured.
[ -n "${ROVA_BENCH_SHOT:-}" ] && import -window root "$ROVA_BENCH_SHOT"
hz=$(getconf CLK_TCK)
python3 - "$work/before_start" "$work/t0" "$work/t1" "$p0" "$p1" "$x0" "$x1" "$s0" "$s1" "$hz" "$copy" <<'PY'
import sys
beforef, t0f, t1f, p0, p1, x0, x1, s0, s1, hz, copy = sys.argv[1:]
p0, p1, x0, x1, hz = int(p0), int(p1), int(x0), int(x1), int(hz)
s0, s1, copy = float(s0), float(s1), float(copy)
def load(f):
    return {int(l.split()[0]): (l.split()[1], int(l.split()[2])) for l in open(f) if l.strip()}
a, b = load(t0f), load(t1f)
elapsed = s1 - s0
frames = p1 - p0
print(f"streamed {elapsed:.1f} s; frame copy (memcpy 1900x1000x4) {copy*1e3:.3f} ms")
print(f"frames painted {frames}  ({frames/elapsed:.2f} /s)")
if frames <= 0:
    sys.exit("no frames painted")
# Threads by role: the interface thread is the process's first (it runs the exe's entry point and
# the dialog's message loop); acquisition and processing are the threads the Start click created
# outside Wine's pool, the acquisition thread first (lower id). Any other busy thread is listed
# under its own name.
rows = []
for tid, (name, ticks) in b.items():
    before = a.get(tid, (name, 0))[1]
    rows.append((tid, name, (ticks - before) / hz))
main = min(a)
# Wine's own pool threads (timers, waits) also start with the run; they are not the library's.
started = sorted(t for t in a if t not in {int(x) for x in open(beforef).read().split()} and a[t][0] != "wine_threadpool")
role = {main: "interface"}
for tid, r in zip(started, ("acquisition", "processing")):
    role[tid] = r
def line(label, cpu):
    per = cpu / frames
    print(f"  {label:<28} {100*cpu/elapsed:6.2f} % of a core  {per*1e3:8.3f} ms/frame  ratio {per/copy:7.2f}")
total = 0.0
print("CPU per painted frame (ratio: frame copies):")
named = {}
for tid, name, cpu in sorted(rows):
    named[tid] = (name, cpu)
for tid, (name, cpu) in sorted(named.items()):
    total += cpu
# Busy threads are listed one by one; the rest are summed.
rest = 0.0
for tid, (name, cpu) in sorted(named.items()):
    if tid in role:
        line(f"{role[tid]} ({tid} {name})", cpu)
    elif cpu >= 0.05:
        line(f"thread {tid} {name}", cpu)
    else:
        rest += cpu
line("other threads (summed)", rest)
line("console total", total)
xcpu = (x1 - x0) / hz
line("X server", xcpu)
line("console + X server", total + xcpu)
PY
