#!/usr/bin/env bash
# The Windows tools under Wine against peers on the Linux side, over loopback: curl fetches a
# file from tollund-httpd.exe, md5sum checks tollund-md5.exe, and the Python upload receiver
# takes a file from tollund-upload.exe. Each result must be byte for byte the file's.
# Usage: peers_test.sh BUILD_DIR MULTIPART_RECORDER
set -euo pipefail

build=$1
recorder=$2
run=("$build/wine-run")
size=${TOLLUND_PEER_BYTES:-8388608}

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

winpath() { echo "Z:${1//\//\\}"; }

head -c "$size" /dev/urandom >"$work/data.bin"

# md5sum against tollund-md5.exe.
expected=$(md5sum "$work/data.bin" | cut -c1-32)
actual=$("${run[@]}" "$build/bin/tollund-md5.exe" "$(winpath "$work/data.bin")" | cut -c1-32)
[[ $expected == "$actual" ]] || { echo "md5: expected $expected, got $actual" >&2; exit 1; }
echo "tollund-md5.exe agrees with md5sum: $actual"

# curl against tollund-httpd.exe.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir "$work/www"
cp "$work/data.bin" "$work/www/data.bin"
"${run[@]}" "$build/bin/tollund-httpd.exe" "$(winpath "$work/www")" "$port" 127.0.0.1 \
    2>"$work/httpd.log" &
pids+=($!)
for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/data.bin" --max-time 1 -r 0-0 && break
    sleep 0.3
done
curl -sS --max-time 240 -o "$work/fetched.bin" "http://127.0.0.1:$port/data.bin"
cmp "$work/fetched.bin" "$work/data.bin"
echo "tollund-httpd.exe served $size bytes to curl, byte for byte"

# tollund-upload.exe to the recording receiver.
mkdir "$work/received"
/usr/bin/python3 "$recorder" --out "$work/received" >"$work/receiver.port" &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/receiver.port ]] && break; sleep 0.1; done
receiver=$(head -1 "$work/receiver.port")
"${run[@]}" "$build/bin/tollund-upload.exe" 127.0.0.1 "$receiver" /upload /form file \
    "$(winpath "$work/data.bin")" >"$work/reply.txt"
cmp "$work/received/request-1.part0.bin" "$work/data.bin"
grep -q '^complete=1$' "$work/received/request-1.txt"
echo "tollund-upload.exe delivered $size bytes whole to the receiver"
