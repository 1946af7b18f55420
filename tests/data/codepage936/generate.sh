#!/bin/sh
# Remakes user_defined_areas.txt from Windows' own conversions: builds dump_code_page.exe with
# MinGW-w64, runs it under Wine and compares its tables with glibc's CP936. Needs Wine; not run
# by the tests, which read the committed file.
#   tests/data/codepage936/generate.sh [work-directory]   (default: build/codepage936)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
work=${1:-$root/build/codepage936}
mkdir -p "$work"
work=$(cd "$work" && pwd)
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Werror -static \
    -o "$work/dump_code_page.exe" "$here/dump_code_page.cpp"
WINEPREFIX=${WINEPREFIX:-$work/wine} WINEDEBUG=-all \
    "${WINE:-/usr/lib/wine/wine64}" "$work/dump_code_page.exe" >"$work/windows936.txt"
python3 "$here/compare_with_iconv.py" "$work/windows936.txt" >"$here/user_defined_areas.txt"
