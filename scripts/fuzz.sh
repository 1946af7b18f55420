#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, address and undefined sanitizers) and runs every fuzz
# target for SECONDS each (default 60), two at a time. Each target starts from its seed corpus in
# fuzz/corpus/NAME and keeps what it finds in build/libfuzzer/corpus-found/NAME; a crash, a leak, a
# time-out (10 s for one input) or running out of memory (2 GiB) fails the run, and the input
# that did it is left in build/libfuzzer/artifacts/NAME/. Add such an input to fuzz/corpus/NAME so
# that the seed replay in ctest keeps it fixed.
#
# The preset builds in build/libfuzzer, apart from build/fuzz, where the plain build keeps its
# seed-replaying fuzz targets.
#
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac

targets=$(grep -rhoE 'zeph_add_fuzz_target\([A-Za-z0-9_]+' fuzz --include=CMakeLists.txt --include='*.cmake' |
  sed 's/.*(//' | sort)
cmake --preset fuzz >/dev/null
# shellcheck disable=SC2086 # one word a target
cmake --build --preset fuzz -j"$(nproc)" --target $targets
export seconds
run_one() {
  name=$1
  found=build/libfuzzer/corpus-found/$name
  artifacts=build/libfuzzer/artifacts/$name
  mkdir -p "$found" "$artifacts"
  log=build/libfuzzer/logs/$name.log
  mkdir -p build/libfuzzer/logs
  set +e
  ASAN_OPTIONS=detect_leaks=1 build/libfuzzer/bin/"$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$found" "fuzz/corpus/$name" >"$log" 2>&1
  status=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  corpus=$(find "$found" -type f | wc -l)
  if [ "$status" -eq 0 ]; then
    printf '%-36s ok      %12s runs  %6s new inputs\n' "$name" "$runs" "$corpus"
  else
    printf '%-36s FAILED  status %s, see %s\n' "$name" "$status" "$log"
    return 1
  fi
}
export -f run_one
echo "fuzzing $(echo "$targets" | wc -w) targets for ${seconds}s each, two at a time"
echo "$targets" | xargs -P 2 -I{} bash -c 'run_one {}'
