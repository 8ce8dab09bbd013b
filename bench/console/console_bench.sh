#!/usr/bin/env bash
# Streaming cost of the whole console: the real ROVA_MTT.exe under its own Xvfb at 1920x1080 with
# the simulated sensor in a fixed scene (seeded, 10 walkers, tracks drawn, 31 monitor areas and
# 20 monitor points), streaming for a fixed time. Prints, from the kernel's accounting of the
# Wine process's threads and of the X server, the frames the view painted per second and the CPU
# time per painted frame, each also as a ratio to one 1900x1000 frame copy timed in the same run.
# Then the naive viewer (naive_viewer.exe: a 1900x1000 frame, a few hundred pixels changed and the
# whole frame blitted 15 times a second) streams in the same prefix on the same screen for as long,
# measured the same way, and the console's cost (its threads and the X server) is printed as a
# ratio to the naive viewer's; it should be at most 1.0 (printed beside it, not checked).
# The wineserver's time is shown for both, outside the totals and the ratio.
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
[ -f "$build/bin/naive_viewer.exe" ] || fail "no $build/bin/naive_viewer.exe (build the naive_viewer target)"
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
# utime+stime and start time (clock ticks) of every thread of process $1: "tid name ticks start".
threads() {
  local t
  for t in /proc/"$1"/task/*; do
    awk -v tid="${t##*/}" '{ s=$0; sub(/^[^)]*\) /, "", s); split(s, f, " "); n=$0; sub(/^[^(]*\(/, "", n); sub(/\).*/, "", n); gsub(/ /, "_", n); print tid, n, f[12] + f[13], f[20] }' "$t/stat" 2>/dev/null
  done
}
ticks() { awk '{ s=$0; sub(/^[^)]*\) /, "", s); split(s, f, " "); print f[12] + f[13] }' "/proc/$1/stat" 2>/dev/null || echo -1; }
xticks() { ticks "$xvfb_pid"; }
# The wineserver of this prefix: its working folder is named after the prefix's device and inode.
wineserver_pid() {
  local dir pid
  dir="server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")")"
  for pid in $(pgrep wineserver); do
    case "$(readlink "/proc/$pid/cwd" 2>/dev/null)" in */"$dir") echo "$pid"; return 0 ;; esac
  done
  echo 0
}
wticks() { if [ "$1" -gt 0 ]; then ticks "$1"; else echo -1; fi; }

wsrv=$(wineserver_pid)
p0=$(paints); threads "$console" > "$work/t0"; x0=$(xticks); w0=$(wticks "$wsrv"); s0=$(date +%s.%N)
# ROVA_BENCH_DURING=<command> runs beside the streaming (e.g. a profiler), with the console's and
# the X server's process ids in ROVA_CONSOLE_PID and ROVA_XVFB_PID; it should end within the time.
if [ -n "${ROVA_BENCH_DURING:-}" ]; then
  ROVA_CONSOLE_PID=$console ROVA_XVFB_PID=$xvfb_pid bash -c "$ROVA_BENCH_DURING" &
fi
sleep "$seconds"
p1=$(paints); threads "$console" > "$work/t1"; x1=$(xticks); w1=$(wticks "$wsrv"); s1=$(date +%s.%N)
# ROVA_BENCH_SHOT=<file.png> keeps a picture of the screen, to see the scene that was measured.
[ -n "${ROVA_BENCH_SHOT:-}" ] && import -window root "$ROVA_BENCH_SHOT"
hz=$(getconf CLK_TCK)
python3 - "$work/before_start" "$work/t0" "$work/t1" "$p0" "$p1" "$x0" "$x1" "$s0" "$s1" "$hz" "$copy" "$w0" "$w1" "$work/console_cost" "$console" <<'PY' || exit 1
import sys
beforef, t0f, t1f, p0, p1, x0, x1, s0, s1, hz, copy, w0, w1, costf, pid = sys.argv[1:]
p0, p1, x0, x1, hz = int(p0), int(p1), int(x0), int(x1), int(hz)
s0, s1, copy = float(s0), float(s1), float(copy)
def load(f):
    return {int(l.split()[0]): (l.split()[1], int(l.split()[2])) for l in open(f) if l.strip()}
a, b = load(t0f), load(t1f)
start = {int(l.split()[0]): int(l.split()[3]) for l in open(t0f) if l.strip()}
elapsed = s1 - s0
frames = p1 - p0
print(f"streamed {elapsed:.1f} s; frame copy (memcpy 1900x1000x4) {copy*1e3:.3f} ms")
print(f"frames painted {frames}  ({frames/elapsed:.2f} /s)")
if frames <= 0:
    sys.exit("no frames painted")
# Threads by role: the interface thread is the process's first, its id the process's (it runs the
# exe's entry point and the dialog's message loop); acquisition and processing are the threads the
# Start click created outside Wine's pool, the acquisition thread first (started first; thread ids
# wrap around, so not by id). Any other busy thread is listed under its own name.
rows = []
for tid, (name, ticks) in b.items():
    before = a.get(tid, (name, 0))[1]
    rows.append((tid, name, (ticks - before) / hz))
main = int(pid)
# Wine's own pool threads (timers, waits) also start with the run; they are not the library's.
started = sorted((t for t in a if t not in {int(x) for x in open(beforef).read().split()} and a[t][0] != "wine_threadpool"),
                 key=lambda t: (start[t], t))
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
w0, w1 = int(w0), int(w1)
if w0 >= 0 and w1 >= w0:
    print(f"  {'wineserver (not in totals)':<28} {100*(w1-w0)/hz/elapsed:6.2f} % of a core")
open(costf, "w").write(f"{elapsed} {total} {xcpu}\n")
PY

# --- The naive viewer, in the same prefix on the same screen, the console gone first.
e2e_cleanup
for _ in $(seq 1 50); do kill -0 "$console" 2>/dev/null || break; sleep 0.2; done
kill -0 "$console" 2>/dev/null && fail "the console did not end"
naive_dir=$work/naive
mkdir -p "$naive_dir"
cp "$build/bin/naive_viewer.exe" "$naive_dir/"
settle=2
# It ends by itself a little after the measured time; the margin covers finding its window late.
naive_seconds=$(( settle + seconds + 5 ))
(cd "$naive_dir" && exec wine ./naive_viewer.exe "$naive_seconds" paints.txt) >/dev/null 2>&1 &
naive_launcher=$!
found=""
for _ in $(seq 1 300); do
  [ -n "$(xdotool search --onlyvisible --classname naive_viewer.exe 2>/dev/null)" ] && { found=1; break; }
  sleep 0.2
done
[ -n "$found" ] || fail "the naive viewer shows no window"
naive=""
for pid in $(pgrep -f naive_viewer.exe); do
  [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$naive_dir" ] && naive=$pid
done
[ -n "$naive" ] || fail "no naive viewer process"
sleep "$settle"
wsrv=$(wineserver_pid)
# The same probe start as the console's paint count at each end, so both measured spans hold it.
e2e_probe text $IDC_VIEW >/dev/null; threads "$naive" > "$work/n0"; nx0=$(xticks); nw0=$(wticks "$wsrv"); ns0=$(date +%s.%N)
sleep "$seconds"
e2e_probe text $IDC_VIEW >/dev/null; threads "$naive" > "$work/n1"; nx1=$(xticks); nw1=$(wticks "$wsrv"); ns1=$(date +%s.%N)
kill -0 "$naive" 2>/dev/null || fail "the naive viewer ended before its measured time did"
wait "$naive_launcher"
[ -s "$naive_dir/paints.txt" ] || fail "the naive viewer wrote no paint count"
python3 - "$work/console_cost" "$work/n0" "$work/n1" "$nx0" "$nx1" "$nw0" "$nw1" "$ns0" "$ns1" "$hz" "$naive_dir/paints.txt" <<'PY'
import sys
costf, n0f, n1f, x0, x1, w0, w1, s0, s1, hz, paintsf = sys.argv[1:]
x0, x1, w0, w1, hz = int(x0), int(x1), int(w0), int(w1), int(hz)
elapsed = float(s1) - float(s0)
def load(f):
    return {int(l.split()[0]): int(l.split()[2]) for l in open(f) if l.strip()}
a, b = load(n0f), load(n1f)
naive = sum(ticks - a.get(tid, 0) for tid, ticks in b.items()) / hz
xcpu = (x1 - x0) / hz
paints, shown_ms = (int(v) for v in open(paintsf).read().split()[:2])
c_elapsed, c_total, c_x = (float(v) for v in open(costf).read().split())
def pct(cpu, span):
    return 100 * cpu / span
print(f"naive viewer (1900x1000 frame, whole blit 15 times a second), same prefix and screen, {elapsed:.1f} s:")
print(f"  frames painted {paints} in its {shown_ms/1000:.1f} s shown  ({1000*paints/shown_ms:.2f} /s)")
print(f"  {'naive viewer':<28} {pct(naive, elapsed):6.2f} % of a core")
print(f"  {'X server':<28} {pct(xcpu, elapsed):6.2f} % of a core")
print(f"  {'naive viewer + X server':<28} {pct(naive + xcpu, elapsed):6.2f} % of a core")
if w0 >= 0 and w1 >= w0:
    print(f"  {'wineserver (not in totals)':<28} {100*(w1-w0)/hz/elapsed:6.2f} % of a core")
console_cost = pct(c_total + c_x, c_elapsed)
naive_cost = pct(naive + xcpu, elapsed)
def ratio(c, n):
    return f"{c / n:.2f}" if n > 0 else "n/a (naive cost 0)"
print("console / naive (% of a core each):")
print(f"  {'console / naive viewer':<28} {pct(c_total, c_elapsed):6.2f} / {pct(naive, elapsed):6.2f}  ratio {ratio(pct(c_total, c_elapsed), pct(naive, elapsed))}")
print(f"  {'X server / X server':<28} {pct(c_x, c_elapsed):6.2f} / {pct(xcpu, elapsed):6.2f}  ratio {ratio(pct(c_x, c_elapsed), pct(xcpu, elapsed))}")
print(f"  {'with their X server':<28} {console_cost:6.2f} / {naive_cost:6.2f}  ratio {ratio(console_cost, naive_cost)}  limit 1.0")
PY
