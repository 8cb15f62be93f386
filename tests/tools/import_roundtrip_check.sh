#!/usr/bin/env bash
# Logs of tools nobody here wrote (python-can, can-utils asc2log and log2asc) imported by
# zvdconv --import, and logs replayed by zvsim --replay and read back through zvremote upload
# and monitor. The checks are in import_roundtrip.py.
#
# usage: import_roundtrip_check.sh NATIVE_ZVDCONV NATIVE_ZVSIM NATIVE_ZVREMOTE
# Needs Debian's python3-can and can-utils (scripts/deps installs them). The emulator listens
# on two free loopback ports. Exit 0 when every check passes, 1 otherwise.
set -euo pipefail

if [[ $# -ne 3 ]]; then
  echo "usage: $0 NATIVE_ZVDCONV NATIVE_ZVSIM NATIVE_ZVREMOTE" >&2
  exit 2
fi
tools=()
for tool in "$@"; do tools+=("$(realpath "$tool")"); done
for tool in asc2log log2asc; do
  if ! command -v "$tool" >/dev/null; then
    echo "import_roundtrip_check: $tool not found (scripts/deps installs can-utils)" >&2
    exit 1
  fi
done
python=/usr/bin/python3
if ! "$python" -c 'import can' 2>/dev/null; then
  echo "import_roundtrip_check: python-can not found for $python (scripts/deps installs python3-can)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
TZ=UTC "$python" "$(dirname "${BASH_SOURCE[0]}")/import_roundtrip.py" "${tools[@]}" "$work"
