#!/bin/bash
# Reads large and hostile answers and service descriptions of the bulletin-and-note services
# once each (soap-parse-limits) and prints the time spent reading and the peak memory of the
# whole run (/usr/bin/time -v). Fails when a case takes a second or more, or when its peak
# memory exceeds the run of a tiny answer by more than four times the document's size.
#
#   soap_parse_limits.sh BUILD_DIR_OR_PROGRAM [SECONDS_CAP]
# A case still running after SECONDS_CAP (default 150) is stopped and shown as "> cap".
set -u
program=$1
[ -d "$program" ] && program=$program/bin/soap-parse-limits
cap=${2:-150}
cases=(
  "answer text 16"
  "answer attributes 10000" "answer attributes 80000" "answer attributes 160000"
  "answer attributes 200000" "answer attributes 1400000"
  "answer elements 4000000" "answer text 16000000" "answer widest 9000000"
  "answer widest 16000000"
  "description attributes 10000" "description attributes 80000"
  "description attributes 160000" "description attributes 200000"
  "description elements 4000000" "description widest 9000000" "description widest 16000000"
)
printf '%-12s %-10s %9s %10s %10s %10s %s\n' target kind count bytes seconds peak_MiB result
status=0
base_kb=0
for c in "${cases[@]}"; do
  set -- $c
  out=$(mktemp)
  /usr/bin/time -v -o "$out.time" timeout "$cap" "$program" "$1" "$2" "$3" >"$out" 2>/dev/null
  rc=$?
  peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out.time")
  if [ $rc -eq 124 ]; then
    printf '%-12s %-10s %9s %10s %10s %10s %s\n' "$1" "$2" "$3" "-" "> $cap" \
      "$((peak_kb / 1024))+" "stopped"
    status=1
  else
    read -r _ _ _ bytes seconds result <"$out"
    bytes=${bytes#bytes=}
    seconds=${seconds#seconds=}
    printf '%-12s %-10s %9s %10s %10s %10s %s\n' "$1" "$2" "$3" "$bytes" "$seconds" \
      "$((peak_kb / 1024))" "$result"
    if [ "$base_kb" -eq 0 ]; then
      base_kb=$peak_kb
    elif awk -v s="$seconds" 'BEGIN { exit !(s >= 1) }' ||
         [ "$peak_kb" -gt $((base_kb + 4 * bytes / 1024)) ]; then
      status=1
    fi
  fi
  rm -f "$out" "$out.time"
done
exit $status
