#!/usr/bin/env bash
# Checks zvremote natively and as zvremote.exe with zvlkrmt.dll under Wine, against the
# library's built-in USB analyzer: the device list, info, a setup receive (both give the same
# default setup file), a screen bitmap and the raw screen image, the offline conversion of one
# screen image (both give the same bitmap file), and an unknown serial number failing with its
# own code (0x8007048F, not the 0xA0000001 of an analyzer that is not ready), named in the message.
#
# usage: zvremote_wine_check.sh NATIVE_ZVREMOTE WINDOWS_ZVREMOTE_EXE ZVLKRMT_DLL
# Wine is taken from $WINE (default wine64, else wine); WINEPREFIX, WINEDEBUG and
# WINEDLLOVERRIDES are passed on as set, and so is a UTF-8 locale (else C.UTF-8). Exit
# 0 when every check passes, 1 otherwise.
set -euo pipefail

if [[ $# -ne 3 ]]; then
  echo "usage: $0 NATIVE_ZVREMOTE WINDOWS_ZVREMOTE_EXE ZVLKRMT_DLL" >&2
  exit 2
fi
native=$(realpath "$1")
wine=${WINE:-$(command -v wine64 || command -v wine || true)}
if [[ -z "$wine" ]]; then
  echo "zvremote_wine_check: wine not found" >&2
  exit 1
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine maps file names through the character set of the Unix locale: UTF-8, or C.UTF-8 when
# the caller has no UTF-8 locale (in a bare container none is set).
[[ $(locale charmap 2>/dev/null) == UTF-8 ]] || export LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program finds the library beside itself, as the Windows program does.
mkdir -p "$work/win"
cp "$2" "$work/win/zvremote.exe"
cp "$3" "$work/win/zvlkrmt.dll"
cd "$work"

run_native() { "$native" "$@" </dev/null; }
run_wine() { "$wine" win/zvremote.exe "$@" </dev/null; }

failures=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok   $what"
  else
    echo "FAIL $what"
    failures=$((failures + 1))
  fi
}

contains() { grep -qF -- "$2" "$1" || { echo "--- $1 lacks '$2':"; cat "$1"; return 1; }; }
size_is() { [[ -f $1 && $(stat -c %s "$1") -eq $2 ]] || { echo "$1: not $2 bytes"; return 1; }; }

for side in native wine; do
  runner=run_$side
  rc=0
  $runner list >"$side-list.txt" 2>&1 || rc=$?
  check "$side list" test "$rc" -eq 0
  check "$side list names the default analyzer" contains "$side-list.txt" "30808001  AN-2400 (kind 73731)"
  rc=0
  $runner --usb 30808001 info >"$side-info.txt" 2>&1 || rc=$?
  check "$side info" test "$rc" -eq 0
  check "$side info names the model" contains "$side-info.txt" "AN-2400 + EX-NB3BP (board type 73763)"
  $runner --usb 30808001 setup receive -o "$side.SU" >/dev/null || true
  check "$side setup receive" size_is "$side.SU" 15824
  $runner --usb 30808001 screen -o "$side.bmp" >/dev/null || true
  check "$side screen" size_is "$side.bmp" 2622
  $runner --usb 30808001 screen --raw -o "$side.raw" >/dev/null || true
  check "$side raw screen" size_is "$side.raw" 1920
  # The same image on both sides: the analyzer's clock row may differ between the two reads.
  $runner screen --from native.raw --format 3 -o "$side-from.bmp" >/dev/null || true
  check "$side screen --from" size_is "$side-from.bmp" 10310
  rc=0
  $runner --usb 30808099 info >/dev/null 2>"$side-unknown.txt" || rc=$?
  check "$side unknown analyzer exits 1" test "$rc" -eq 1
  check "$side unknown analyzer names the number and the code" contains "$side-unknown.txt" "USB analyzer 30808099: 0x8007048F"
done
check "native setup file = wine setup file" cmp native.SU wine.SU
check "native converted screen = wine converted screen" cmp native-from.bmp wine-from.bmp

echo "$failures failed"
[[ $failures -eq 0 ]]
