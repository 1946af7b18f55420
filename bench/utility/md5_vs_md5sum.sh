#!/usr/bin/env bash
# CMD5::DigestFile beside md5sum on the same cached 1 GiB file (SIZE_MIB to change), in the same
# run.
# Usage: bench/utility/md5_vs_md5sum.sh [BUILD_DIR]   (needs the tollund-md5 target built)
# Target: at least 1.1x md5sum's throughput.
set -euo pipefail

build=${1:-build-tollund-core}
tool=$build/bin/tollund-md5
[[ -x $tool ]] || { echo "no $tool: build the tollund-md5 target first" >&2; exit 2; }
rounds=${ROUNDS:-5}
size_mib=${SIZE_MIB:-1024}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/data"
cat "$work/data" >/dev/null # both read from the page cache

seconds() { # runs "$@"; prints its wall time and its processor time (user + system) in seconds
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >"$work/out"
    awk '{ printf "%s %.3f\n", $1, $2 + $3 }' "$work/time"
}

expected=$(md5sum "$work/data" | cut -c1-32)
actual=$("$tool" "$work/data" | cut -c1-32)
[[ $expected == "$actual" ]] || { echo "digests differ: $expected $actual" >&2; exit 1; }

best_ours=999999 best_peer=999999 cpu_ours=999999 cpu_peer=999999
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }
for ((i = 0; i < rounds; ++i)); do # alternate, keep each one's best
    read -r wall cpu < <(seconds md5sum "$work/data")
    best_peer=$(min "$best_peer" "$wall"); cpu_peer=$(min "$cpu_peer" "$cpu")
    read -r wall cpu < <(seconds "$tool" "$work/data")
    best_ours=$(min "$best_ours" "$wall"); cpu_ours=$(min "$cpu_ours" "$cpu")
done

awk -v s="$size_mib" -v pw="$best_peer" -v ow="$best_ours" -v pc="$cpu_peer" -v oc="$cpu_ours" 'BEGIN {
    printf "%-20s %12s %10s %14s\n", "program", "wall s", "MiB/s", "processor s"
    printf "%-20s %12.3f %10.1f %14.3f\n", "md5sum", pw, s / pw, pc
    printf "%-20s %12.3f %10.1f %14.3f\n", "CMD5::DigestFile", ow, s / ow, oc
    printf "throughput ratio (CMD5 / md5sum): %.2fx  (target >= 1.10x); by processor time %.2fx\n",
        pw / ow, pc / oc
}'
