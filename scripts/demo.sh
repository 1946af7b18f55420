#!/usr/bin/env bash
# Runs the demo through zeph-host against the bundled demo desk. Builds nothing: pass the build
# directory, e.g. scripts/demo.sh build, or --installed for the zeph-host on the PATH with the
# demo data its package installed (docs/packages.md), or --windows and a Windows build directory
# for zeph-host.exe under Wine (docs/windows.md).
set -euo pipefail

usage() {
  echo "usage: $0 BUILD_DIR|--installed|--windows WINDOWS_BUILD_DIR" >&2
  exit 2
}
[ $# -ge 1 ] || usage
root=$(cd "$(dirname "$0")/.." && pwd)
windows=
if [ "$1" = --installed ]; then
  [ $# -eq 1 ] || usage
  if ! command -v zeph-host >/dev/null; then
    echo "demo: no zeph-host on the PATH; install the packages first" >&2
    exit 1
  fi
  host=("$(command -v zeph-host)")
  # The folder of the program and its plug-ins (the command links to the program there), and
  # the data folder of the installation prefix.
  build=$(dirname "$(dirname "$(readlink -f "${host[0]}")")")
  demo=$(cd "$(dirname "${host[0]}")/../share/zeph-host/demo" && pwd)
elif [ "$1" = --windows ]; then
  [ $# -eq 2 ] || usage
  windows=1
  build=$(cd "$2" && pwd)
  # The build tree's Wine runner: its own prefix, the build's DLLs found (docs/windows.md).
  # Wine's drive Z: is the root, so the Linux paths below open the same files.
  host=("$build/wine-run" "$build/bin/zeph-host.exe")
  for file in "${host[@]}"; do
    if [ ! -e "$file" ]; then
      echo "demo: $file is missing; build the Windows tree first (cmake --build --preset windows)" >&2
      exit 1
    fi
  done
  demo="$root/host/emulator/demo"
else
  [ $# -eq 1 ] || usage
  build=$(cd "$1" && pwd)
  host=("$build/bin/zeph-host")
  if [ ! -x "${host[0]}" ]; then
    echo "demo: ${host[0]} is missing; build first (cmake --build $1)" >&2
    exit 1
  fi
  demo="$root/host/emulator/demo"
fi

# Prints the command, then runs it; dialog lines (standard error) show beside the output.
run() {
  printf '\n$ zeph-host'
  printf ' %q' "$@"
  printf '\n'
  "${host[@]}" "$@" 2>&1 </dev/null || echo "(exit status $?)"
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

# Short messages: one sent at once becomes a send log row, one for a set time (chosen in the
# scripted edit window) a send plan row; a "~" in the content is refused.
run call SENDSM 202612080930120001 0 0 1 "回访通知" "13800000001;13800000002" "您好，请回电。"
run --script "$demo/sm-timed.txt" call SENDSM 202612080930120001 0 1 1 "节日问候" 13900000001 "平安夜快乐"
run call SENDSM 202612080930120001 0 0 1 "回访通知" 13800000001 "a~b"
# Bulletins and notes: a bulletin-and-note web service on loopback (spyne), the demo desk's
# "BN" address pointed at it, a note and a bulletin sent by word and one note through the
# compose window; then what the service received and the host log.
state=$(mktemp -d)
desk="$state/desk.db"
"${host[@]}" make-demo "$desk" >/dev/null
/usr/bin/python3 "$root/tests/plugin/bulletin/bn_soap_server.py" "$state" >"$state/server.out" &
server=$!
ftp_pid=
work=
# One exit hook stops every server the demo started and removes its folders.
cleanup() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  if [ -n "$ftp_pid" ]; then kill "$ftp_pid" 2>/dev/null || true; fi
  rm -rf "$state" ${work:+"$work"}
}
trap cleanup EXIT
for _ in $(seq 50); do grep -q listening "$state/server.out" && break; sleep 0.1; done
port=$(sed -n 's/^listening on 127.0.0.1://p' "$state/server.out")
printf '发送成功' >"$state/answer"
sqlite3 "$desk" "UPDATE t_server_address SET port = '$port' WHERE class = 'BN'"
echo
echo "bulletin-and-note service on 127.0.0.1:$port"
run --server "$desk" --log "$state/host.log" call SENDNOTE "交接班提醒" 1 10002,10003 "" "今晚八点交接班" AG
run --server "$desk" --log "$state/host.log" call SENDBULLETIN "系统升级" 4 2 G01 03 "今晚系统升级"
run --server "$desk" --log "$state/host.log" --script "$demo/bulletin-window.txt" \
  call SENDBNNOTEWINDOW "请回电" 2 "" "" "客户来电，请尽快回电"
echo
echo "received by the service (operation: parameters):"
/usr/bin/python3 - "$state/received.log" <<'PY'
import sys
call, params = None, []
for line in open(sys.argv[1]):
    tag, *fields = line.rstrip("\n").split("\t")
    text = [bytes.fromhex(f).decode("utf-8") for f in fields]
    if tag == "element":
        call = text[1]
    elif tag == "received":
        params.append(f"{text[0]}={text[2]}")
    elif tag == "end":
        if call:
            print(f"  {call}: " + ", ".join(params))
        call, params = None, []
PY
echo "host log:"
iconv -f GBK -t UTF-8 "$state/host.log" | sed "s/^/  /"

# Call recordings: the demo desk's recordings lie on an FTP server started here on loopback
# (python3-pyftpdlib); a copy of the demo desk points at it, and its player command notes each
# file it is given to play.
work=$(mktemp -d)
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
"${host[@]}" make-demo "$work/desk.db" >/dev/null
# The player notes the file it is given: a shell command on Linux; on Windows the command runs
# without a shell, the file its last argument, so a batch file of cmd.exe does it there.
if [ -n "$windows" ]; then
  played=$(printf 'Z:%s' "$work/played.txt" | tr / '\\')
  printf '@echo %%~1>>"%s"\r\n' "$played" >"$work/play.cmd"
  player="cmd /c $(printf 'Z:%s' "$work/play.cmd" | tr / '\\')"
else
  player='printf "%s\n" "$1" >> '$(printf '%q' "$work/played.txt")
fi
/usr/bin/python3 - "$work/desk.db" "$port" "$player" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("UPDATE t_ftp_location SET port = ?", (sys.argv[2],))
db.execute("UPDATE desk_setting SET value = ? WHERE name = 'player_command'", (sys.argv[3],))
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
tr -d '\r' <"$work/played.txt" 2>/dev/null || echo "(nothing)"
