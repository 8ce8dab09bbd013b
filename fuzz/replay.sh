#!/usr/bin/env bash
# Builds the fuzz targets and runs every kept input of fuzz/corpus/<target>/ once under the
# sanitizers: a crash found once stays fixed. Usage: fuzz/replay.sh <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: fuzz/replay.sh <build folder>}
"$here/build.sh" "$out"
failed=0
while read -r target; do
  [ -n "$target" ] || continue
  inputs=("$here/corpus/$target"/*)
  if ! "$out/fuzz_$target" -runs=1 "${inputs[@]}" >"$out/replay_$target.log" 2>&1; then
    echo "replay: fuzz_$target failed on its kept corpus (see $out/replay_$target.log)" >&2
    tail -30 "$out/replay_$target.log" >&2
    failed=1
  else
    echo "replay: fuzz_$target ran ${#inputs[@]} kept inputs"
  fi
done <"$here/targets"
exit $failed
