#!/bin/bash
# Builds the native sensor emulator with the host compiler from its own sources and the radar
# library's portable protocol and scene sources.
# Usage: build.sh <output program>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:?usage: build.sh <output program>}
lib="$root/libs/dataprocess"
${CXX:-g++} -std=c++20 -O2 -Wall -Wextra -I"$lib" -o "$out" \
  "$here/main.cpp" "$here/SensorEmulator.cpp" \
  "$lib/SerialSensorProtocol.cpp" "$lib/SerialFrameParser.cpp" "$lib/RadarProtocol.cpp" \
  "$lib/SceneGenerator.cpp" "$lib/MttTracker.cpp" "$lib/PointClusterer.cpp" "$lib/DetectBound.cpp"
