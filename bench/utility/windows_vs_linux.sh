#!/usr/bin/env bash
# Tollund's Windows programs under Wine beside the Linux ones and the Linux references, on the
# same machine in the same run: requests per second for a 1 KiB file (wrk, 50 connections) and
# the time of one 100 MiB download (curl) from tollund-httpd.exe, tollund-httpd and nginx; the
# digest of a 256 MiB file by tollund-md5.exe, tollund-md5 and md5sum.
# Usage: bench/utility/windows_vs_linux.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail

linux=$1
windows=$2
wine=("$windows/wine-run")
duration=${DURATION:-5s}
md5_mib=${MD5_MIB:-256}

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/nginx_peer.sh"
winpath() { echo "Z:${1//\//\\}"; }

chmod 755 "$work"
mkdir -p "$work/www" "$work/nginx/tmp"
head -c 1024 /dev/urandom >"$work/www/small.bin"
head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/www/large.bin"
head -c $((md5_mib * 1024 * 1024)) /dev/urandom >"$work/digest.bin"
cat "$work/www/"* "$work/digest.bin" >/dev/null

nginx_port=$(free_port)
start_nginx_peer "$work" "$nginx_port"
pids+=($nginx_pid)
linux_port=$(free_port)
"$linux/bin/tollund-httpd" "$work/www" "$linux_port" 127.0.0.1 2>/dev/null &
pids+=($!)
windows_port=$(free_port)
"${wine[@]}" "$windows/bin/tollund-httpd.exe" "$(winpath "$work/www")" "$windows_port" \
    127.0.0.1 2>/dev/null &
pids+=($!)

for port in "$nginx_port" "$linux_port" "$windows_port"; do
    for _ in $(seq 100); do
        curl -sf -o /dev/null "http://127.0.0.1:$port/small.bin" && break
        sleep 0.3
    done
    curl -sf "http://127.0.0.1:$port/small.bin" | cmp -s - "$work/www/small.bin" ||
        { echo "server on port $port does not serve the file" >&2; exit 1; }
done

requests() { # requests per second for the 1 KiB file
    wrk -t1 -c50 -d"$duration" --timeout 30s "http://127.0.0.1:$1/small.bin" |
        awk '/Requests\/sec:/ { print $2 }'
}
download() { # seconds for one 100 MiB download, checked byte for byte
    local seconds
    seconds=$(curl -sS -o "$work/got.bin" -w '%{time_total}' "http://127.0.0.1:$1/large.bin")
    cmp -s "$work/got.bin" "$work/www/large.bin" || { echo "port $1: download differs" >&2; exit 1; }
    echo "$seconds"
}
digest() { # seconds for one digest, checked against md5sum's
    local start end sum
    start=$(date +%s.%N)
    sum=$("$@" | cut -c1-32)
    end=$(date +%s.%N)
    [[ $sum == "$expected" ]] || { echo "$1: digest differs" >&2; exit 1; }
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

expected=$(md5sum "$work/digest.bin" | cut -c1-32)
echo "load average before measuring: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
printf "%-36s %14s %16s %18s\n" "measure" "nginx/md5sum" "Linux Tollund" "Windows (Wine)"
printf "%-36s %14s %16s %18s\n" "1 KiB file, requests/s" "$(requests "$nginx_port")" \
    "$(requests "$linux_port")" "$(requests "$windows_port")"
printf "%-36s %14s %16s %18s\n" "100 MiB file, seconds" "$(download "$nginx_port")" \
    "$(download "$linux_port")" "$(download "$windows_port")"
printf "%-36s %14s %16s %18s\n" "MD5 of $md5_mib MiB, seconds" "$(digest md5sum "$work/digest.bin")" \
    "$(digest "$linux/bin/tollund-md5" "$work/digest.bin")" \
    "$(digest "${wine[@]}" "$windows/bin/tollund-md5.exe" "$(winpath "$work/digest.bin")")"
echo "load average after measuring: $(cut -d' ' -f1-3 /proc/loadavg)"
