#!/usr/bin/env bash
# Runs the demo through zeph-host against the bundled demo desk. Builds nothing: pass the build
# directory, e.g. scripts/demo.sh build
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
host="$build/bin/zeph-host"
if [ ! -x "$host" ]; then
  echo "demo: $host is missing; build first (cmake --build $1)" >&2
  exit 1
fi
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/host/emulator/demo"

# Prints the command, then runs it; dialog lines (standard error) show beside the output.
run() {
  printf '\n$ zeph-host'
  printf ' %q' "$@"
  printf '\n'
  "$host" "$@" 2>&1 </dev/null || echo "(exit status $?)"
}

echo "zeph-host demo: the plug-in of $build, the demo desk of $demo"

# Dispatcher: a word answered by the dispatcher itself, and a message box of the host.
run call CHECK_STAFF_QUERY a b c
run call 1005 "欢迎使用质检与公共服务插件"

# Small services: Base64 both ways, a field of the current call's routing package, a monitor.
run call BASE64ENCODE "质检"
run call BASE64DECODE "1sq87A=="
run call GETROUTPACKAGE callerno
run call GETMONITOR 10003

# Words it does not know, and an empty request.
run call SENDSM_UNKNOWN
run call

# Quality-check reports from the demo records: the detail of one content, a page of the
# content-score report, and one person's evaluation.
run call CHECK_RESULT "@$demo/qc-result-records.xml" 1 101 ""
run call CHECK_PERSON "@$demo/qc-score-records.xml" 1 10003
run call CHECK_REPORT "@$demo/qc-score-records.xml" 1 "" 10 1

# Call recordings: the demo desk's recordings lie on an FTP server started here on loopback
# (python3-pyftpdlib); a copy of the demo desk points at it, and its player command notes each
# file it is given to play.
work=$(mktemp -d)
ftp_pid=
cleanup() {
  if [ -n "$ftp_pid" ]; then kill "$ftp_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/ftp/rec/0571/20261208"
head -c 262144 /dev/urandom > "$work/ftp/rec/0571/20261208/0930120001.v3"
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p 0 -d "$work/ftp" 2> "$work/ftp.log" &
ftp_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/.*starting FTP server on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/ftp.log")
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "demo: the FTP server did not start (is python3-pyftpdlib installed?)" >&2
  exit 1
fi
"$host" make-demo "$work/desk.db" >/dev/null
/usr/bin/python3 - "$work/desk.db" "$port" "$work/played.txt" <<'PY'
import shlex, sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("UPDATE t_ftp_location SET port = ?", (sys.argv[2],))
db.execute("UPDATE desk_setting SET value = ? WHERE name = 'player_command'",
           ('printf "%s\\n" "$1" >> ' + shlex.quote(sys.argv[3]),))
db.commit()
PY
printf '[TfrmSaveRecordFile]\nclick bbtnSave\n\n[TfrmSelRecodFile]\ndblclick lvRecordFile 1\n' \
  > "$work/windows.txt"
echo
echo "FTP server of the recordings: 127.0.0.1:$port"

# The agent saves a recording of its own call; another agent's recording needs a right it lacks.
run --server "$work/desk.db" --script "$work/windows.txt" --answer "$work/saved.v3" \
  call SAVE_RECORDFILE 202612080930120001 10001
if cmp -s "$work/saved.v3" "$work/ftp/rec/0571/20261208/0930120001.v3"; then
  echo "saved: $(wc -c < "$work/saved.v3") bytes, the same as on the server"
fi
run --server "$work/desk.db" call SAVE_RECORDFILE 202612081015000002 10003

# Playing: one recording plays at once; of three the agent double-clicks the second.
run --server "$work/desk.db" call PLAY_RECORDFILE 202612080930120001
run --server "$work/desk.db" --script "$work/windows.txt" call PLAY_RECORDFILE 202612081015000002
sleep 0.5
echo
echo "The player was given:"
cat "$work/played.txt" 2>/dev/null || echo "(nothing)"
