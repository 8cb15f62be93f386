#!/usr/bin/env bash
# Writes the seed inputs of the data_file_load and capture_convert fuzz targets into
# corpus/data_file_load and corpus/capture_convert (run once; the files are committed).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

# Bytes from a hexadecimal string ("01 0A ff"); blanks and "|" are ignored.
hex() { local h=${1//[ |]/}; local i; for ((i = 0; i < ${#h}; i += 2)); do printf "\\x${h:i:2}"; done; }
u32() { hex "$(printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)))"; }
signature() { printf 'ZEVRONA DATA   \0'; }
chunk() { printf '%s' "$1"; u32 "$(stat -c %s "$2")"; cat "$2"; }

# Records: source lines status | stamp | AI1 | byteCount frameInfo | identifier | data[10] | AI2 AI3 AI4
records() {
  hex "01 00 0000 | 14030201 | 0000 | 02 02 | 0000FC1F | 12340000000000000000 | 0000 0000 0000" # CAN std
  hex "02 90 0000 | 00040201 | 9B00 | 08 C8 | F0DEBC1A | 01020304050607080000 | 65FF E803 E02E" # CAN ext remote
  hex "03 00 1920 | 00050201 | 0000 | 03 00 | 00BC6655 | A1A2A300000000000000 | 0000 0000 0000" # LIN marks
  hex "04 00 0000 | 00060201 | 0000 | FF 00 | 00BC6655 | 00000000000000000000 | 0000 0000 0000" # LIN -1
  hex "03 00 0100 | 00070201 | 0000 | FE 00 | 00BC6655 | 00000000000000000000 | 0000 0000 0000" # LIN -2
  hex "03 00 0000 | 00080201 | 0000 | FD 02 | 00BC6655 | C1C20000000000000000 | 0000 0000 0000" # LIN -3, bytes only
  hex "40 00 0000 | 00090201 | 0000 | 00 00 | 00000000 | 00000000000000000000 | 0000 0000 0000" # overrun
  hex "41 00 0000 | 3B3B6331 | 0000 | 00 00 | 00000000 | 00000000000000000000 | 0000 0000 0000" # lost data
  hex "03 00 F800 | 00000000 | 0000 | 7F 00 | 00BC6655 | 0102030405060708090A | 0000 0000 0000" # oversized
}

# A data-information block (812 bytes): version 32, layout 9, analog inputs on, CH2 LIN with table.
dinf() {
  local f=$1
  head -c 812 /dev/zero >"$f"
  put() { u32 "$2" | dd of="$f" bs=1 seek="$1" conv=notrunc status=none; }
  putb() { hex "$2" | dd of="$f" bs=1 seek="$1" conv=notrunc status=none; }
  put 0 812; put 4 716; putb 10 20; put 12 8; putb 17 09; put 20 8; putb 26 01
  put 28 660; put 32 72; put 40 32; putb 44 05; put 72 32; putb 76 00; put 80 160000000; putb 84 050505
  put 104 584; put 112 288; put 116 96000; put 400 288; put 404 192000; putb 408 01; put 424 264
  putb 668 08; put 688 8; put 696 4; put 700 20; put 704 16; putb 708 0102; put 720 72; put 792 20
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
records >"$tmp/records"
dinf "$tmp/dinf"
: >"$tmp/empty"
hex "58585858 | 03000000 | 010203" >"$tmp/xtra"

load=corpus/data_file_load
conv=corpus/capture_convert
mkdir -p "$load" "$conv"
signature >"$load/signature-only"
{ signature; chunk MDCL "$tmp/empty"; } >"$load/empty-records"
{ signature; chunk DINF "$tmp/dinf"; chunk MDCL "$tmp/records"; } >"$load/mdcl-with-dinf"
{ signature; head -c 100 "$tmp/records" >"$tmp/partial"; chunk MONC "$tmp/partial"; } >"$load/monc-partial-record"
{ signature; cat "$tmp/xtra"; chunk MDCL "$tmp/records"; hex "444946"; } >"$load/unknown-chunk-and-tail"
{ signature; chunk MONC "$tmp/records"; hex "4D44434C | 40000000 | 00"; } >"$load/chunk-past-end"

{ signature; chunk DINF "$tmp/dinf"; chunk MDCL "$tmp/records"; } >"$conv/mdcl-file"
for flags in 00 01 03 0f 3f c5; do
  { hex "$flags"; cat "$tmp/records"; } >"$conv/area-$flags"
done
