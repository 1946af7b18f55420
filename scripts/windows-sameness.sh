#!/usr/bin/env bash
# Shows that the Windows build under Wine gives the Linux build's results, in one run on one
# machine (docs/windows.md):
#  - the five conversion words on the benchmark's packets and on the test packets: the same
#    Output, byte for byte (every element, and the report element's host text bytes);
#  - SAVE_DATASET_TO_FILE (text file) and SAVE_DATASET_TO_EXCEL of the basic edition (XLS) give
#    byte-identical files, and of the full edition (workbook) the same cells and formats read
#    back by openpyxl;
#  - each conversion's time on the benchmark's packets under Wine beside Linux's, measured
#    inside one running program.
# Builds nothing:
#   scripts/windows-sameness.sh LINUX_BUILD WINDOWS_BUILD [RECORDS]   (default 20000)
# LINUX_BUILD needs zeph-host, both editions and qcreport_bench_packets; WINDOWS_BUILD
# zeph-host.exe, both editions' DLLs and its wine-run.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 LINUX_BUILD WINDOWS_BUILD [RECORDS]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
records=${3:-20000}
for file in "$linux/bin/zeph-host" "$linux/bin/qcreport_bench_packets" "$windows/wine-run" \
  "$windows/bin/zeph-host.exe"; do
  if [ ! -e "$file" ]; then
    echo "sameness: $file is missing; build it first" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bench" "$work/linux" "$work/windows"

# zeph-host of one platform: host linux|windows ARGS...
host() {
  local platform=$1
  shift
  if [ "$platform" = linux ]; then
    "$linux/bin/zeph-host" "$@"
  else
    "$windows/wine-run" "$windows/bin/zeph-host.exe" "$@"
  fi
}

failures=0
fail() {
  echo "DIFFERENT: $*"
  failures=$((failures + 1))
}

# The words and their arguments after the packet: on the test packets as the demo calls them,
# on the benchmark's packets likewise, with every staff member on one page and the staff member
# the packets hold.
words=(CHECK_RESULT SKILL_REPORT CHECK_REPORT CHECK_PERSON CRTABFORUPDATEIP)
declare -A testArgs=(
  [CHECK_RESULT]="1 101 ''"
  [SKILL_REPORT]="1 '' ''"
  [CHECK_REPORT]="1 '' 10 1"
  [CHECK_PERSON]="1 10003"
  [CRTABFORUPDATEIP]="10"
)
declare -A benchArgs=(
  [CHECK_RESULT]="1 101 ''"
  [SKILL_REPORT]="1 '' ''"
  [CHECK_REPORT]="1 '' 2000 1"
  [CHECK_PERSON]="1 10001"
  [CRTABFORUPDATEIP]="10"
)
declare -A benchPacket=(
  [CHECK_RESULT]=check-result.xml
  [SKILL_REPORT]=skill-report.xml
  [CHECK_REPORT]=check-report.xml
  [CHECK_PERSON]=check-person.xml
  [CRTABFORUPDATEIP]=ip-table.xml
)

# One word on one packet on both platforms: the Output as JSON and its report element's bytes,
# with the exit status; compared byte for byte.
compare_word() {
  local word=$1 packet=$2 name=$3
  local args
  eval "args=($4)"
  for platform in linux windows; do
    local out="$work/$platform/$name"
    set +e
    host "$platform" call "$word" "@$packet" "${args[@]}" >"$out.json" 2>/dev/null </dev/null
    echo "status $?" >>"$out.json"
    host "$platform" --raw 1 call "$word" "@$packet" "${args[@]}" >"$out.raw" 2>/dev/null \
      </dev/null
    echo "status $?" >>"$out.raw"
    set -e
  done
  if cmp -s "$work/linux/$name.json" "$work/windows/$name.json" &&
    cmp -s "$work/linux/$name.raw" "$work/windows/$name.raw"; then
    echo "same: $word on $(basename "$packet") ($(wc -c <"$work/linux/$name.raw") bytes of report)"
  else
    fail "$word on $packet"
  fi
}

echo "Linux build: $linux"
echo "Windows build: $windows (under $("${ZEPH_WINE:-/usr/lib/wine/wine64}" --version 2>/dev/null || echo Wine))"
"$linux/bin/qcreport_bench_packets" "$work/bench" "$records"
# Starts Wine's server for the run, so the first timing is not Wine's start.
host windows call CHECK_STAFF_QUERY a b c >/dev/null 2>&1 </dev/null || true

echo
echo "== Conversions on the benchmark's packets ($records records)"
for word in "${words[@]}"; do
  compare_word "$word" "$work/bench/${benchPacket[$word]}" "bench-$word" "${benchArgs[$word]}"
  # The benchmark's packets are valid: a refusal here would measure nothing.
  if ! head -c 8 "$work/linux/bench-$word.json" | grep -q '^\["True"'; then
    fail "$word refused the benchmark's packet: $(head -c 200 "$work/linux/bench-$word.json")"
  fi
done

echo
echo "== Conversions on the test packets"
packets=("$root"/host/emulator/demo/*.xml "$root"/tests/data/qcreport/*.xml
  "$root"/tests/data/qcreport/bad/*.xml)
for packet in "${packets[@]}"; do
  for word in "${words[@]}"; do
    compare_word "$word" "$packet" "test-$word-$(basename "$packet" .xml)" "${testArgs[$word]}"
  done
done

echo
echo "== Exports from the same packet (check-report.xml, $records records)"
packet="$work/bench/check-report.xml"
printf '[TfrmSelectCol]\nclick bbtnSave\n' >"$work/picker.zs"
for platform in linux windows; do
  dir="$work/$platform"
  set +e
  host "$platform" --script "$work/picker.zs" --answer "$dir/records.txt" call \
    SAVE_DATASET_TO_FILE "" "" "" "@$packet" >/dev/null 2>"$dir/file.err" </dev/null
  host "$platform" --edition basic --script "$work/picker.zs" --answer "$dir/records.xls" call \
    SAVE_DATASET_TO_EXCEL "" "" "" "@$packet" >/dev/null 2>"$dir/xls.err" </dev/null
  host "$platform" --script "$work/picker.zs" --answer "$dir/records.xlsx" call \
    SAVE_DATASET_TO_EXCEL "" "" "" "@$packet" >/dev/null 2>"$dir/xlsx.err" </dev/null
  set -e
done
for file in records.txt records.xls; do
  if [ -s "$work/linux/$file" ] && cmp -s "$work/linux/$file" "$work/windows/$file"; then
    echo "same bytes: $file ($(wc -c <"$work/linux/$file") bytes)"
  else
    fail "$file"
  fi
done
reader="$root/tests/plugin/export/read_export.py"
if [ -s "$work/linux/records.xlsx" ] &&
  /usr/bin/python3 "$reader" xlsx "$work/linux/records.xlsx" >"$work/linux/records.xlsx.json" &&
  /usr/bin/python3 "$reader" xlsx "$work/windows/records.xlsx" >"$work/windows/records.xlsx.json" &&
  cmp -s "$work/linux/records.xlsx.json" "$work/windows/records.xlsx.json"; then
  echo "same cells and formats: records.xlsx ($(wc -c <"$work/linux/records.xlsx") and" \
    "$(wc -c <"$work/windows/records.xlsx") bytes)"
else
  fail "records.xlsx"
fi

# Milliseconds of one repl run of the platform's zeph-host that reads the lines on standard
# input, best of three runs that answered every line. A run that failed (Wine may refuse a start
# while the previous one's server is still going) would be the fastest, so it does not count;
# it is tried again, up to six runs in all.
repl_ms() {
  local platform=$1 lines=$2 best= good=0 tries=0 wanted
  wanted=$(printf '%s\n' "$lines" | wc -l)
  while [ "$good" -lt 3 ] && [ "$tries" -lt 6 ]; do
    local start end ms answers
    tries=$((tries + 1))
    start=$(date +%s%N)
    answers=$(printf '%s\n' "$lines" | host "$platform" repl 2>/dev/null | grep -c '^\[') || true
    end=$(date +%s%N)
    [ "$answers" -eq "$wanted" ] || continue
    good=$((good + 1))
    ms=$(((end - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "${best:-failed}"
}

# The same line, count times.
repeat_line() {
  local line=$1 count=$2
  for ((i = 0; i < count; ++i)); do printf '%s\n' "$line"; done
}

# Each conversion's time inside one running program, so neither the program's start nor Wine's
# counts: a repl run of N conversions less a run of N calls of a word that converts nothing,
# over N.
calls=10
echo
echo "== Times on the benchmark's packets ($records records): milliseconds per conversion"
echo "   (a repl run of $calls conversions less one of $calls calls that convert nothing,"
echo "   over $calls; each run the best of three)"
linuxBase=$(repl_ms linux "$(repeat_line "call CHECK_STAFF_QUERY a b c" $calls)")
windowsBase=$(repl_ms windows "$(repeat_line "call CHECK_STAFF_QUERY a b c" $calls)")
printf '%-18s %10s %10s %8s\n' word linux wine "wine/linux"
for word in "${words[@]}"; do
  line="call $word @$work/bench/${benchPacket[$word]} ${benchArgs[$word]}"
  l=$(repl_ms linux "$(repeat_line "$line" $calls)")
  w=$(repl_ms windows "$(repeat_line "$line" $calls)")
  if [ "$l" = failed ] || [ "$w" = failed ] || [ "$linuxBase" = failed ] ||
    [ "$windowsBase" = failed ]; then
    fail "timing $word: a repl run did not answer every line"
    continue
  fi
  printf '%-18s %10s %10s %8s\n' "$word" \
    "$(awk -v t="$l" -v b="$linuxBase" -v n=$calls 'BEGIN { printf "%.1f", (t - b) / n }')" \
    "$(awk -v t="$w" -v b="$windowsBase" -v n=$calls 'BEGIN { printf "%.1f", (t - b) / n }')" \
    "$(awk -v l="$l" -v w="$w" -v lb="$linuxBase" -v wb="$windowsBase" \
      'BEGIN { if (l > lb) printf "%.2f", (w - wb) / (l - lb); else print "-" }')"
done
printf "%-18s %10s %10s\n" "(no conversion x$calls)" "$linuxBase" "$windowsBase"

echo
if [ "$failures" -eq 0 ]; then
  echo "sameness: all results identical"
else
  echo "sameness: $failures results differ"
  exit 1
fi
