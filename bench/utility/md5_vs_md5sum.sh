#!/usr/bin/env bash
# CMD5::DigestFile beside md5sum on the same 256 MiB file, in the same run.
# Usage: bench/utility/md5_vs_md5sum.sh [BUILD_DIR]   (needs the tollund-md5 target built)
# Target: at least 0.9x md5sum's throughput.
set -euo pipefail

build=${1:-build-tollund-core}
tool=$build/bin/tollund-md5
[[ -x $tool ]] || { echo "no $tool: build the tollund-md5 target first" >&2; exit 2; }
rounds=${ROUNDS:-3}
size_mib=256

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/data"
cat "$work/data" >/dev/null # both read from the page cache

seconds() { # runs "$@" and prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >"$work/out"
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}

expected=$(md5sum "$work/data" | cut -c1-32)
actual=$("$tool" "$work/data" | cut -c1-32)
[[ $expected == "$actual" ]] || { echo "digests differ: $expected $actual" >&2; exit 1; }

best_ours=999999
best_peer=999999
for ((i = 0; i < rounds; ++i)); do # alternate, keep each one's best
    t=$(seconds md5sum "$work/data")
    (($(echo "$t < $best_peer" | bc -l))) && best_peer=$t
    t=$(seconds "$tool" "$work/data")
    (($(echo "$t < $best_ours" | bc -l))) && best_ours=$t
done

printf '%-22s %10s %12s\n' "program" "seconds" "MiB/s"
printf '%-22s %10.3f %12.1f\n' "md5sum" "$best_peer" "$(echo "$size_mib / $best_peer" | bc -l)"
printf '%-22s %10.3f %12.1f\n' "CMD5::DigestFile" "$best_ours" "$(echo "$size_mib / $best_ours" | bc -l)"
ratio=$(echo "$best_peer / $best_ours" | bc -l)
printf 'throughput ratio (CMD5 / md5sum): %.2fx  (target >= 0.90x)\n' "$ratio"
