#!/bin/bash
# The radar library against the sensor emulator on a serial line: links two pseudo terminals, one
# into the Wine prefix as COM7 (socat), builds the native emulator of tools/sensor-emulator with
# the host compiler and runs the SerialSensorLink cases of serialsensor_tests against it:
#   1. no emulator on the port: detection passes it over, opening explains the failure;
#   2. detection, start, the MCU tracking commands 0x80/0x90 and stop;
#   3. 1 % noise bytes on the line: no frame lost;
#   4. the emulator killed mid-run, and 5. the emulator falling silent: the link is lost, the
#      attempts to bring it back fail, the run can be stopped;
#   6. the emulator killed and started again: the same run goes on, the sensor is identified,
#      started and given its tracking command again;
#   7. known noise, damaged and left-out frames: the link health counts exactly those.
# Usage: serial_sensor.sh <serialsensor_tests.exe>
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tests_exe=${1:?usage: serial_sensor.sh serialsensor_tests.exe}
if [ -z "${WINEPREFIX:-}" ]; then
  build=$(dirname "${ROVA_BIN_DIR:-$(dirname "$tests_exe")}")
  # shellcheck disable=SC1091
  source "$root/scripts/wine-env.sh" "$build"
fi
for tool in socat g++; do
  command -v $tool >/dev/null || { echo "serial_sensor.sh: $tool is not installed" >&2; exit 1; }
done

port=7
work=$(mktemp -d /tmp/rova_sensor.XXXXXX)
fail() { echo "FAIL: $*" >&2; exit 1; }
source "$here/../emulator_line.sh"
cleanup() {
  stop_line
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

build_emulator

# run_case <gtest case>: runs one SerialSensorLink case, which must pass and not be skipped.
run_case() {
  local out="$work/wine.out"
  echo "--- SerialSensorLink.$1"
  ROVA_SENSOR_PORT=$port wine "$tests_exe" --gtest_filter="SerialSensorLink.$1" 2>&1 | tee "$out"
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || fail "SerialSensorLink.$1 failed ($status)"
  grep -q "SKIPPED" "$out" && fail "SerialSensorLink.$1 was skipped although the port exists"
  grep -q "\[  PASSED  \] 1 test" "$out" || fail "SerialSensorLink.$1 did not run"
}
expect_log() {  # expect_log <log> <regex> <what>
  grep -Eq "$2" "$1" || { cat "$1" | grep -v '^FRAME' >&2; fail "emulator log: $3"; }
}

targets="3.0,10,-0.5;5.0,-20,0.8"
winpath() { echo "Z:$(echo "$1" | tr '/' '\\')"; }

# 1. A port without a sensor.
start_line
start=$(date +%s%N)
run_case NoSensorOnThePort
echo "detect and open on a machine without a serial sensor: $(( ($(date +%s%N) - start) / 1000000 )) ms in all"
stop_line

# 2. Detection, start, commands, stop.
start_line
log="$work/link.log"
start_emulator "$log" --tracks --fixed "$targets" --fps 20
run_case DetectStartCommandStop
sleep 0.3
stop_emulator
expect_log "$log" '^IDENTIFY' "no identify request"
expect_log "$log" '^START 0x10 ACK 0' "start not acknowledged"
expect_log "$log" '^CMDMODE-ENTER param=1' "command mode not entered"
expect_log "$log" '^COMMAND 0x80 ACK 0$' "0x80 not acknowledged"
expect_log "$log" '^COMMAND 0x90 ACK 0$' "0x90 not acknowledged"
expect_log "$log" '^COMMAND 0x90 ACK 2$' "0x90 outside command mode not answered busy"
expect_log "$log" '^CMDMODE-LEAVE 0x21 ACK 0' "command mode not left"
expect_log "$log" '^STOP 0x11 ACK 0' "stop not acknowledged"
# Nothing streamed after the stop.
last_stop=$(grep -n '^STOP' "$log" | tail -1 | cut -d: -f1)
tail -n +"$last_stop" "$log" | grep -q '^FRAME' && fail "frames were sent after the stop"
stop_line

# 3. Noise bytes on the line.
start_line
log="$work/noise.log"
start_emulator "$log" --tracks --fixed "$targets" --fps 60 --noise 1 --seed 3
run_case NoisyLineLosesNoFrame
stop_emulator
expect_log "$log" '^SUMMARY .*noise=[1-9]' "no noise was injected"
grep '^SUMMARY' "$log"
stop_line

# 4. The emulator killed mid-run.
start_line
log="$work/kill.log"
start_emulator "$log" --tracks --fixed "$targets" --fps 20
kill_file="$work/kill-request"
( while [ ! -e "$kill_file" ]; do sleep 0.05; done; kill -9 "$emu_pid" 2>/dev/null ) &
watch_pid=$!
ROVA_SENSOR_KILL_FILE=$(winpath "$kill_file") run_case LostSensorIsRetriedUntilStop
[ -e "$kill_file" ] || fail "the kill was never requested"
kill -0 "$emu_pid" 2>/dev/null && fail "the emulator was not killed"
emu_pid=""
stop_line

# 5. The emulator falls silent.
start_line
log="$work/silence.log"
start_emulator "$log" --tracks --fixed "$targets" --fps 20 --silence-after 60
run_case LostSensorIsRetriedUntilStop
stop_line

# 6. The emulator killed, then started again on the same line.
start_line
log="$work/return.log"
log2="$work/return2.log"
start_emulator "$log" --tracks --fixed "$targets" --fps 20
kill_file="$work/kill-request"
restart_file="$work/restart-request"
rm -f "$kill_file" "$restart_file"
(
  while [ ! -e "$kill_file" ]; do sleep 0.05; done
  kill -9 "$emu_pid" 2>/dev/null
  while [ ! -e "$restart_file" ]; do sleep 0.05; done
  exec "$work/sensor-emulator" --log "$log2" --tracks --fixed "$targets" --fps 20 "$work/sensor"
) &
watch_pid=$!
ROVA_SENSOR_KILL_FILE=$(winpath "$kill_file") ROVA_SENSOR_RESTART_FILE=$(winpath "$restart_file") \
  run_case ReturningSensorResumesTheRun
emu_pid=""
[ -e "$restart_file" ] || fail "the restart was never requested"
expect_log "$log2" '^IDENTIFY' "the returned sensor was not identified"
expect_log "$log2" '^START 0x10 ACK 0' "the returned sensor was not started"
expect_log "$log2" '^CMDMODE-ENTER param=1' "the returned sensor was not put into command mode"
expect_log "$log2" '^COMMAND 0x80 ACK 0$' "the returned sensor was not given its tracking command"
expect_log "$log2" '^CMDMODE-LEAVE 0x21 ACK 0' "command mode not left after the tracking command"
stop_line

# 7. Known faults: noise, damaged frames, frames left out, all before frame 300.
start_line
log="$work/faults.log"
start_emulator "$log" --tracks --fixed "$targets" --fps 100 --noise 3 --drop 2 --corrupt 2 --faults-until 300 --seed 11
ROVA_SENSOR_LOG=$(winpath "$log") ROVA_SENSOR_FAULTS_UNTIL=300 run_case CountersMatchInjectedFaults
stop_emulator
grep '^SUMMARY' "$log"
stop_line

echo "PASS: serial_sensor.sh"
