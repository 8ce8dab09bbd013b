#!/usr/bin/env bash
# Configures (once) and builds the native fuzz targets with the host clang into the given folder.
# Usage: fuzz/build.sh <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: fuzz/build.sh <build folder>}
launcher=()
if command -v ccache >/dev/null 2>&1; then  # the same cache as scripts/build, outside the clone
  export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/rova/ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd "$here/.." && pwd)}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$out/build.ninja" ]; then
  cmake -S "$here" -B "$out" -G Ninja "${launcher[@]}" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$out" | grep -vE '^\[[0-9]+/[0-9]+\]' || true
test "${PIPESTATUS[0]}" -eq 0
