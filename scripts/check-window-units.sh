#!/usr/bin/env bash
# A window unit (unt*.cpp, unt*.h) reads and sets its controls and calls its subsystem's
# operations; the operations talk to servers and files. So a window unit includes no header of
# the FTP client component and calls none of the host client's server operations. Prints each
# offending line and fails when there is one.
#   scripts/check-window-units.sh [PLUGIN_DIR]     (default: the plug-in of this tree)
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)/plugin}
server_calls='StoreProcedure|OpenBySQL|OpenByServerFlag|FTPDownLoad|GetSysParam'
pattern="#[[:space:]]*include[[:space:]]*[<\"]zeph/ftp/|\\b($server_calls)[[:space:]]*\\("

mapfile -t units < <(find "$root" -type f \( -name 'unt*.cpp' -o -name 'unt*.h' \) | sort)
if [ ${#units[@]} -eq 0 ]; then
  echo "check-window-units: no window units under $root" >&2
  exit 2
fi
if grep -HnE "$pattern" "${units[@]}"; then
  echo "check-window-units: a window unit reaches the servers itself; move that into an operation" >&2
  exit 1
fi
echo "check-window-units: ${#units[@]} window units drive controls only"
