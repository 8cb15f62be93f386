#!/usr/bin/env bash
# The export formats read back by tools nobody here wrote: python-can (ASC, BLF, candump),
# can-utils log2asc (candump) and tshark (pcapng). The checks are in formats_roundtrip.py.
#
# usage: formats_roundtrip_check.sh NATIVE_ZVDCONV
# Needs Debian's python3-can, can-utils and tshark (scripts/deps installs them). Exit 0 when
# every format reads back as written, 1 otherwise.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 NATIVE_ZVDCONV" >&2
  exit 2
fi
zvdconv=$(realpath "$1")
for tool in log2asc tshark; do
  if ! command -v "$tool" >/dev/null; then
    echo "formats_roundtrip_check: $tool not found (scripts/deps installs it)" >&2
    exit 1
  fi
done
# Debian's python, which has python3-can, whatever python3 comes first on PATH.
python=/usr/bin/python3
if ! "$python" -c 'import can' 2>/dev/null; then
  echo "formats_roundtrip_check: python-can not found for $python (scripts/deps installs python3-can)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The start time is local time: UTC makes it the instant the checks expect.
TZ=UTC "$python" "$(dirname "${BASH_SOURCE[0]}")/formats_roundtrip.py" "$zvdconv" "$work"
