#!/usr/bin/env bash
# Checks that zvdconv converts the same data files byte for byte natively and as zvdconv.exe
# under Wine: text and CSV, every option, the four export formats, CR LF line ends, files
# beside the inputs and standard output.
#
# usage: zvdconv_wine_check.sh NATIVE_ZVDCONV WINDOWS_ZVDCONV_EXE
# Wine is taken from $WINE (default wine64, else wine); WINEPREFIX, WINEDEBUG and
# WINEDLLOVERRIDES are passed on as set, and so is a UTF-8 locale (else C.UTF-8). Exit
# 0 when every output matches, 1 otherwise.
set -euo pipefail

if [[ $# -ne 2 ]]; then
  echo "usage: $0 NATIVE_ZVDCONV WINDOWS_ZVDCONV_EXE" >&2
  exit 2
fi
native=$(realpath "$1")
exe=$(realpath "$2")
wine=${WINE:-$(command -v wine64 || command -v wine || true)}
if [[ -z "$wine" ]]; then
  echo "zvdconv_wine_check: wine not found" >&2
  exit 1
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine maps file names through the character set of the Unix locale: UTF-8, or C.UTF-8 when
# the caller has no UTF-8 locale (in a bare container none is set).
[[ $(locale charmap 2>/dev/null) == UTF-8 ]] || export LC_ALL=C.UTF-8
export SOURCE_DATE_EPOCH=1700000000
# The exports' --start-time is local time: the same zone on both sides.
export TZ=UTC

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- input files, from literal bytes ---------------------------------------------------------
hex() { local h=${1//[ |]/}; local i; for ((i = 0; i < ${#h}; i += 2)); do printf "\\x${h:i:2}"; done; }
u32() { hex "$(printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)))"; }
chunk() { printf '%s' "$1"; u32 "$(stat -c %s "$2")"; cat "$2"; }
signature() { printf 'ZEVRONA DATA   \0'; }
put() { u32 "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
putb() { hex "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# Data-information block (812 bytes): analog inputs $2, CH1 CAN on its own timing, CH2 LIN
# at 19200 bit/s with an identifier table (ID 3C: 2 bytes).
dinf() {
  local f=$1
  head -c 812 /dev/zero >"$f"
  put "$f" 0 812; put "$f" 4 716; putb "$f" 10 20; put "$f" 12 8; putb "$f" 17 09; put "$f" 20 8
  putb "$f" 26 "$2"; put "$f" 28 660; put "$f" 32 72
  put "$f" 40 32; putb "$f" 44 00; put "$f" 48 160000000; putb "$f" 52 05050502
  put "$f" 72 32; putb "$f" 76 07
  put "$f" 104 584; put "$f" 112 288; put "$f" 116 96000; put "$f" 400 288; put "$f" 404 192000
  putb "$f" 408 01; put "$f" 424 264; putb "$f" 668 02
  put "$f" 688 8; put "$f" 696 4; put "$f" 700 20; put "$f" 704 16; putb "$f" 708 0102; put "$f" 720 72; put "$f" 792 20
}

# Records: source lines status | stamp | AI1 | byteCount frameInfo | identifier | data[10] | AI2 AI3 AI4
records() {
  hex "01 10 0000 | 14030201 | 9B00 | 02 02 | 0000FC1F | 12340000000000000000 | 65FF E803 E02E"
  hex "02 90 0000 | 00040201 | 0000 | 08 C8 | F0DEBC1A | 01020304050607080000 | 0000 0000 0000"
  hex "01 00 0000 | 31040201 | 0000 | 08 88 | 01000000 | 0102030405060708090A | 0000 0000 0000"
  hex "04 1E 1920 | 00050201 | 0000 | 03 00 | 00BC6655 | A1A2A300000000000000 | 0000 0000 0000"
  hex "04 00 0200 | 00060201 | 0000 | 03 00 | 00BC6655 | A1A2A300000000000000 | 0000 0000 0000"
  hex "04 00 0000 | 00070201 | 0000 | FF 00 | 00BC6655 | 00000000000000000000 | 0000 0000 0000"
  hex "04 00 0100 | 00080201 | 0000 | FE 00 | 00BC6655 | 00000000000000000000 | 0000 0000 0000"
  hex "04 00 0000 | 00090201 | 0000 | FD 00 | 00BC6655 | 00000000000000000000 | 0000 0000 0000"
  hex "04 00 0000 | 000A0201 | 0000 | 02 02 | 00BC6655 | C1C20000000000000000 | 0000 0000 0000"
  hex "04 00 F800 | 000B0201 | 0000 | 7F 00 | 00BC6655 | 0102030405060708090A | 0000 0000 0000"
  hex "40 00 0000 | 000C0201 | 0000 | 00 00 | 00000000 | 00000000000000000000 | 0000 0000 0000"
  hex "41 00 0000 | 00000000 | 0000 | 00 00 | 00000000 | 00000000000000000000 | 0000 0000 0000"
  hex "02 00 8000 | 3B3B6331 | 0000 | 03 03 | 00008C04 | 11223300000000000000 | 0000 0000 0000"
}

mkdir -p "$work/in"
records >"$work/records"
dinf "$work/dinf0" 00
dinf "$work/dinf1" 01
{ signature; chunk DINF "$work/dinf1"; chunk MDCL "$work/records"; } >"$work/in/analog.DT"
{ signature; chunk DINF "$work/dinf0"; chunk MDCL "$work/records"; } >"$work/in/dual.DT"
{ signature; chunk MONC "$work/records"; } >"$work/in/canonly.DT"
: >"$work/empty"
{ signature; chunk MDCL "$work/empty"; } >"$work/in/empty.DT"

# --- runs ----------------------------------------------------------------------------------
run_native() { (cd "$1" && "$native" "${@:2}"); }
run_wine() { (cd "$1" && "$wine" "$exe" "${@:2}"); }

failures=0
compare_dirs() {
  local what=$1
  if ! diff -r "$work/native" "$work/windows" >/dev/null; then
    echo "zvdconv_wine_check: outputs differ for: $what" >&2
    diff -r "$work/native" "$work/windows" | head -n 20 >&2 || true
    failures=$((failures + 1))
  fi
}

option_sets=(
  ""
  "--csv"
  "--hex"
  "--csv --hex --channel 1"
  "--delta --channel 2"
  "--channel both --delta --hex -j 2"
  "--format asc --start-time=2024-03-01T08:00:00"
  "--format blf --start-time=2024-03-01T08:00:00 --channel 2"
  "--format candump --start-time=2024-03-01T08:00:00 -j 2"
  "--format pcapng --start-time=2024-03-01T08:00:00"
)
for options in "${option_sets[@]}"; do
  for side in native windows; do
    rm -rf "$work/$side"
    cp -r "$work/in" "$work/$side"
    # shellcheck disable=SC2086
    if [[ $side == native ]]; then
      run_native "$work/$side" $options analog.DT dual.DT canonly.DT empty.DT
    else
      run_wine "$work/$side" $options analog.DT dual.DT canonly.DT empty.DT
    fi
  done
  compare_dirs "${options:-(no options)}"
done

# Standard output, --info, and a file that is not a data file (exit status 1 on both).
run_native "$work/in" --csv -o - analog.DT >"$work/native.csv"
run_wine "$work/in" --csv -o - analog.DT >"$work/windows.csv"
if ! cmp -s "$work/native.csv" "$work/windows.csv"; then
  echo "zvdconv_wine_check: standard output differs" >&2
  failures=$((failures + 1))
fi
if ! grep -q $'\r$' "$work/native.csv" || grep -q $'\r\r' "$work/windows.csv"; then
  echo "zvdconv_wine_check: line ends are not CR LF" >&2
  failures=$((failures + 1))
fi
# --find: the rows and the counts of the same conditions, byte for byte.
find_sets=(
  "trigger|"
  "lin-error=B,S,P,C,mark|--csv"
  "frame ch=2 id=0x123 data=11 ?? 3x|--hex"
  "remote ch=2 id=0x1ABCDEF0|--count"
  "time=01:02.0*|--delta"
  "ext=1|--count --channel 1"
)
for find_set in "${find_sets[@]}"; do
  condition=${find_set%%|*}
  read -r -a extra <<<"${find_set#*|}"
  run_native "$work/in" --find "$condition" "${extra[@]}" analog.DT dual.DT canonly.DT empty.DT >"$work/native.find"
  run_wine "$work/in" --find "$condition" "${extra[@]}" analog.DT dual.DT canonly.DT empty.DT >"$work/windows.find"
  if ! cmp -s "$work/native.find" "$work/windows.find" || [[ ! -s "$work/native.find" ]]; then
    echo "zvdconv_wine_check: --find output differs or is empty for: $condition ${extra[*]}" >&2
    diff <(od -c "$work/native.find") <(od -c "$work/windows.find") | head -n 10 >&2 || true
    failures=$((failures + 1))
  fi
done
set +e
run_native "$work/in" --find "frame id=0x12g" analog.DT >/dev/null 2>"$work/native.err"
native_rc=$?
run_wine "$work/in" --find "frame id=0x12g" analog.DT >/dev/null 2>"$work/windows.err"
wine_rc=$?
set -e
# Standard error is a text stream on Windows: its line ends are CR LF there.
if [[ $native_rc -ne 2 || $wine_rc -ne 2 ]] || ! cmp -s "$work/native.err" <(tr -d '\r' <"$work/windows.err"); then
  echo "zvdconv_wine_check: a malformed condition: native $native_rc, windows $wine_rc (want 2, same message)" >&2
  failures=$((failures + 1))
fi

printf 'not a data file' >"$work/in/bad.DT"
set +e
run_native "$work/in" bad.DT 2>/dev/null
native_rc=$?
run_wine "$work/in" bad.DT 2>/dev/null
wine_rc=$?
set -e
if [[ $native_rc -ne 1 || $wine_rc -ne 1 ]]; then
  echo "zvdconv_wine_check: exit status for a bad input: native $native_rc, windows $wine_rc (want 1)" >&2
  failures=$((failures + 1))
fi

if [[ $failures -ne 0 ]]; then
  echo "zvdconv_wine_check: $failures check(s) failed" >&2
  exit 1
fi
echo "zvdconv_wine_check: native and Windows outputs are identical (${#option_sets[@]} option sets, ${#find_sets[@]} searches, stdout, exit status)"
