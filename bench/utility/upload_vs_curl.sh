#!/usr/bin/env bash
# tollund-upload (CHttpUpload) beside the curl program, uploading the same files as
# multipart/form-data to the same loopback sink in the same run.
# Usage: bench/utility/upload_vs_curl.sh [BUILD_DIR]   (needs the tollund-upload target built)
# Targets: at least 0.8x curl's throughput; peak memory for the large file within 2 MiB of the
# small one (the file is streamed through one buffer).
set -euo pipefail

build=${1:-build-tollund-system}
tool=$build/bin/tollund-upload
[[ -x $tool ]] || { echo "no $tool: build the tollund-upload target first" >&2; exit 2; }
rounds=${ROUNDS:-3}

work=$(mktemp -d)
sink_pid=
cleanup() {
    [[ -n $sink_pid ]] && kill "$sink_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A sink that reads each request to its declared end and answers "ok".
cat >"$work/sink.py" <<'PY'
import socket, threading
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 0)); s.listen(8); print(s.getsockname()[1], flush=True)
def serve(c):
    buf = b""
    while True:
        while b"\r\n\r\n" not in buf:
            d = c.recv(1 << 20)
            if not d: return
            buf += d
        head, buf = buf.split(b"\r\n\r\n", 1)
        n = 0
        for line in head.split(b"\r\n"):
            if line.lower().startswith(b"content-length:"): n = int(line.split(b":")[1])
        left = n - len(buf)
        buf = b"" if left >= 0 else buf[n:]
        while left > 0:
            d = c.recv(min(left, 1 << 20))
            if not d: return
            left -= len(d)
        c.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")
while True:
    c, _ = s.accept(); threading.Thread(target=serve, args=(c,), daemon=True).start()
PY
coproc SINK { exec /usr/bin/python3 "$work/sink.py"; }
sink_pid=$SINK_PID
read -r port <&"${SINK[0]}"

measure() { # prints "seconds peak-kib" of the best of $rounds runs of "$@"
    local best=999999 rss=0 line
    for _ in $(seq "$rounds"); do
        line=$(/usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -1)
        if (($(echo "${line% *} < $best" | bc -l))); then best=${line% *}; rss=${line#* }; fi
    done
    echo "$best $rss"
}

declare -A ours_rss
status=0
for size_mib in 16 256; do
    file=$work/data-$size_mib
    head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$file"
    cat "$file" >/dev/null
    read -r ours ours_kib < <(measure "$tool" 127.0.0.1 "$port" /sink r upfile "$file")
    read -r peer peer_kib < <(measure curl -s -o /dev/null --noproxy '*' -H 'Expect:' \
        -F "upfile=@$file;type=application/octet-stream" "http://127.0.0.1:$port/sink")
    ratio=$(echo "$peer / $ours" | bc -l)
    printf '%4d MiB: tollund-upload %.3f s (%d KiB peak), curl %.3f s (%d KiB peak), throughput ratio %.2f\n' \
        "$size_mib" "$ours" "$ours_kib" "$peer" "$peer_kib" "$ratio"
    ours_rss[$size_mib]=$ours_kib
    if (($(echo "$ratio < 0.8" | bc -l))); then status=1; fi
done
growth=$((ours_rss[256] - ours_rss[16]))
echo "peak memory growth from 16 MiB to 256 MiB: $growth KiB (target <= 2048)"
((growth <= 2048)) || status=1
exit $status
