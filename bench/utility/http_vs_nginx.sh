#!/usr/bin/env bash
# tollund-httpd beside nginx (one worker, keep-alive off) on loopback, in the same run, with wrk:
# requests per second for a 1 KiB file, bytes per second for a 100 MiB file.
# Usage: bench/utility/http_vs_nginx.sh [BUILD_DIR]   (needs the tollund-httpd target built)
# Targets: at least 1.1x nginx's requests per second, and 1.2x its rate on the 100 MiB file.
set -euo pipefail

build=${1:-build-tollund-core}
httpd=$build/bin/tollund-httpd
[[ -x $httpd ]] || { echo "no $httpd: build the tollund-httpd target first" >&2; exit 2; }
command -v wrk >/dev/null || { echo "wrk is not installed" >&2; exit 2; }
command -v nginx >/dev/null || { echo "nginx is not installed" >&2; exit 2; }
rounds=${ROUNDS:-3}
duration=${DURATION:-5s}

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/nginx_peer.sh"

chmod 755 "$work" # nginx's worker runs as an unprivileged user
mkdir -p "$work/www" "$work/nginx/tmp"
head -c 1024 /dev/urandom >"$work/www/small.bin"
head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/www/large.bin"
cat "$work/www/"* >/dev/null

nginx_port=$(free_port)
tollund_port=$(free_port)
start_nginx_peer "$work" "$nginx_port"
nginx_master=$nginx_pid
pids+=($nginx_master)
"$httpd" "$work/www" "$tollund_port" 127.0.0.1 2>"$work/httpd.log" &
tollund_pid=$!
pids+=($tollund_pid)

for port in "$nginx_port" "$tollund_port"; do
    for _ in $(seq 50); do
        curl -sf -o /dev/null "http://127.0.0.1:$port/small.bin" && break
        sleep 0.1
    done
    curl -sf "http://127.0.0.1:$port/small.bin" | cmp -s - "$work/www/small.bin" ||
        { echo "server on port $port does not serve the file" >&2; exit 1; }
done

nginx_worker=$(pgrep -P "$nginx_master" | head -1)

cpu_ticks() { # user + system clock ticks of a process and its threads
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# Prints "requests_per_second bytes_per_second server_cpu_us_per_request errors" for one run.
measure() {
    local port=$1 file=$2 connections=$3 pid=$4 before
    before=$(cpu_ticks "$pid")
    wrk -t1 -c"$connections" -d"$duration" --timeout 30s "http://127.0.0.1:$port/$file" |
        awk -v before="$before" -v after_file="/proc/$pid/stat" -v hz="$(getconf CLK_TCK)" '
        /requests in/ { requests = $1 }
        /Requests\/sec:/ { rps = $2 }
        /Transfer\/sec:/ {
            v = $2; unit = v; gsub(/[0-9.]/, "", unit); sub(/[A-Za-z]+$/, "", v)
            f = 1
            if (unit == "KB") f = 1024; else if (unit == "MB") f = 1024^2; else if (unit == "GB") f = 1024^3
            bps = v * f
        }
        /Socket errors|Non-2xx/ { errors = errors $0 ";" }
        END {
            getline stat < after_file; split(stat, st, " ")
            us = requests > 0 ? (st[14] + st[15] - before) * 1e6 / hz / requests : 0
            printf "%s %.0f %.1f %s\n", rps, bps, us, (errors == "" ? "-" : errors)
        }'
}

best() { # keeps the larger of two numbers
    awk -v a="$1" -v b="$2" 'BEGIN { print (a > b ? a : b) }'
}

smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (a > 0 && a < b ? a : b) }'; }

nginx_rps=0; tollund_rps=0; nginx_bps=0; tollund_bps=0; nginx_us=1e9; tollund_us=1e9
nginx_large_us=1e12; tollund_large_us=1e12
for ((i = 0; i < rounds; ++i)); do # alternate the two servers, keep each one's best
    read -r rps _ us err < <(measure "$nginx_port" small.bin 50 "$nginx_worker")
    nginx_rps=$(best "$nginx_rps" "$rps"); nginx_us=$(smaller "$us" "$nginx_us")
    [[ $err == - ]] || echo "nginx small: $err"
    read -r rps _ us err < <(measure "$tollund_port" small.bin 50 "$tollund_pid")
    tollund_rps=$(best "$tollund_rps" "$rps"); tollund_us=$(smaller "$us" "$tollund_us")
    [[ $err == - ]] || echo "tollund small: $err"
    read -r _ bps us err < <(measure "$nginx_port" large.bin 2 "$nginx_worker")
    nginx_bps=$(best "$nginx_bps" "$bps"); nginx_large_us=$(smaller "$us" "$nginx_large_us")
    [[ $err == - ]] || echo "nginx large: $err"
    read -r _ bps us err < <(measure "$tollund_port" large.bin 2 "$tollund_pid")
    tollund_bps=$(best "$tollund_bps" "$bps"); tollund_large_us=$(smaller "$us" "$tollund_large_us")
    [[ $err == - ]] || echo "tollund large: $err"
done

echo "load average while measuring: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
awk -v nr="$nginx_rps" -v tr="$tollund_rps" -v nb="$nginx_bps" -v tb="$tollund_bps" \
    -v nu="$nginx_us" -v tu="$tollund_us" -v nl="$nginx_large_us" -v tl="$tollund_large_us" 'BEGIN {
    printf "%-34s %12s %14s %8s  %s\n", "measure", "nginx", "tollund-httpd", "ratio", "target"
    printf "%-34s %12.0f %14.0f %7.2fx  %s\n", "1 KiB file, requests/s", nr, tr, tr / nr, ">= 1.10x"
    printf "%-34s %12.1f %14.1f %7.2fx  %s\n", "1 KiB file, server CPU us/request", nu, tu, \
        nu / tu, "(lower is better; ratio nginx/tollund)"
    printf "%-34s %12.2f %14.2f %7.2fx  %s\n", "100 MiB file, GB/s", nb / 1e9, tb / 1e9, tb / nb, \
        ">= 1.20x"
    printf "%-34s %12.1f %14.1f %7.2fx  %s\n", "100 MiB file, server CPU ms/request", nl / 1e3, \
        tl / 1e3, nl / tl, "(lower is better; ratio nginx/tollund)"
}'
