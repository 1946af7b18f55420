#!/usr/bin/env bash
# The FTP client component (zeph-ftp-get) beside the curl program, downloading the same files
# from the same loopback FTP server (python3-pyftpdlib) in the same run.
# Usage: bench/host/ftp/ftp_vs_curl.sh [BUILD_DIR]   (needs the zeph-ftp-get target built)
# Targets: at least 0.9x curl's throughput for 100 MiB; peak memory for 100 MiB within 2 MiB of
# that for 4 MiB (the file is streamed to disk).
set -euo pipefail

build=${1:-build}
tool=$build/bin/zeph-ftp-get
[[ -x $tool ]] || { echo "no $tool: build the zeph-ftp-get target first" >&2; exit 2; }
rounds=${ROUNDS:-5}

work=$(mktemp -d)
ftp_pid=
cleanup() {
    [[ -n $ftp_pid ]] && kill "$ftp_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root/rec" "$work/out"
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p 0 -d "$work/root" 2>"$work/ftp.log" &
ftp_pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's/.*starting FTP server on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/ftp.log")
    [[ -n $port ]] && break
    sleep 0.1
done
[[ -n $port ]] || { echo "the FTP server did not start (python3-pyftpdlib)" >&2; exit 2; }

run_once() { # prints "seconds peak-kib" of one run of "$@"
    /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -1
}

# The two clients take turns, round after round, so that a change in the machine's load falls
# on both; each keeps its best round.
measure_pair() { # file name; prints "ours ours-kib peer peer-kib"
    local name=$1 ours=999999 ours_kib=0 peer=999999 peer_kib=0 line
    for _ in $(seq "$rounds"); do
        line=$(run_once "$tool" 127.0.0.1 "$port" /rec/ "$name" "$work/out/ours")
        if (($(echo "${line% *} < $ours" | bc -l))); then ours=${line% *}; ours_kib=${line#* }; fi
        line=$(run_once curl -s --noproxy '*' -o "$work/out/curl" "ftp://127.0.0.1:$port/rec/$name")
        if (($(echo "${line% *} < $peer" | bc -l))); then peer=${line% *}; peer_kib=${line#* }; fi
    done
    echo "$ours $ours_kib $peer $peer_kib"
}

declare -A ours_rss
status=0
for size_mib in 4 100; do
    name=rec-$size_mib.v3
    head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/root/rec/$name"
    read -r ours ours_kib peer peer_kib < <(measure_pair "$name")
    cmp -s "$work/root/rec/$name" "$work/out/ours" || { echo "zeph-ftp-get: wrong bytes" >&2; exit 1; }
    ratio=$(echo "$peer / $ours" | bc -l)
    printf '%4d MiB: zeph-ftp-get %.3f s (%d KiB peak), curl %.3f s (%d KiB peak), throughput ratio %.2f\n' \
        "$size_mib" "$ours" "$ours_kib" "$peer" "$peer_kib" "$ratio"
    ours_rss[$size_mib]=$ours_kib
    if ((size_mib == 100)) && (($(echo "$ratio < 0.9" | bc -l))); then status=1; fi
done
growth=$((ours_rss[100] - ours_rss[4]))
echo "peak memory growth from 4 MiB to 100 MiB: $growth KiB (target <= 2048)"
((growth <= 2048)) || status=1
exit $status
