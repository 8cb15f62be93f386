#!/usr/bin/env bash
# Checks the Windows packages that scripts/package makes from build/win64 (as it is: the
# caller builds first).
#
#   package_wine_check.sh reproducible WORK
#     packs twice into WORK/first and WORK/second, the second time later and with another
#     umask: the zips and the installers must be byte-identical, and the zip must hold the
#     program folder in name order, every file with the commit's time, mode 0644 and no extra
#     fields.
#   package_wine_check.sh install WORK
#     installs WORK/first's installer silently into a folder with spaces (/S /D=), compares
#     the installed files with the zip's, finds the Start-menu shortcuts and the uninstaller
#     entry, runs UI scenarios of zv_ui_tests.exe against the installed program (started
#     where it was installed, connected to the built-in analyzer), then uninstalls silently:
#     no file, shortcut or registry entry may remain.
#
# Wine is taken from $WINE (default wine); WINEPREFIX (required for install), WINEDEBUG and
# WINEDLLOVERRIDES are passed on as set, and so is a UTF-8 locale (else C.UTF-8). Exit 0 when
# every check passes, 1 otherwise.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if [[ $# -ne 2 || ( $1 != reproducible && $1 != install ) ]]; then
  echo "usage: $0 reproducible|install WORK" >&2
  exit 2
fi
mode=$1
mkdir -p "$2"
work=$(cd "$2" && pwd)
wine=${WINE:-wine}
export WINEDEBUG=${WINEDEBUG:--all}
# The Start-menu shortcuts must not become desktop entries of the user running the test.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winemenubuilder.exe=d"
[[ $(locale charmap 2>/dev/null) == UTF-8 ]] || export LC_ALL=C.UTF-8

version=$(sed -n 's/^set(ZV_VERSION \([0-9.]*\))$/\1/p' "$ROOT/CMakeLists.txt")
zip_name="ZV-LK5MQ-$version-win64.zip"
setup_name="ZV-LK5MQ-$version-setup.exe"
epoch=$(git -C "$ROOT" log -1 --format=%ct)

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

# The zip's file names, one a line, in the zip's order.
zip_names() { zipinfo -1 "$1"; }

# Every entry: mode -rw-r--r--, no extra field (zipinfo's fifth column is "b-" or "t-"; "x" or
# "X" in its second place means extra fields), the time of EPOCH in UTC.
zip_entries_plain() {
  local zip=$1 expected bad
  # Zip times count in 2-second steps: the package takes the even second at or before.
  expected=$(TZ=UTC date -d "@$((epoch - epoch % 2))" +%Y%m%d.%H%M%S)
  bad=$(zipinfo -T -l "$zip" | awk -v t="$expected" '
    $2 ~ /^[0-9]+\.[0-9]+$/ && ($1 != "-rw-r--r--" || $5 !~ /^[bt]-$/ || $8 != t) { print }')
  [[ -z "$bad" ]] || { echo "entries with other attributes or times (want -rw-r--r--, $expected):"; echo "$bad"; return 1; }
}

sorted_by_name() { diff <(zip_names "$1") <(zip_names "$1" | LC_ALL=C sort); }

reproducible() {
  rm -rf "$work/first" "$work/second"
  "$ROOT/scripts/package" --no-build --out "$work/first" >"$work/first.log" 2>&1 ||
    { cat "$work/first.log"; return 1; }
  sleep 2  # other copy times, a DOS time step later
  (umask 0077 && "$ROOT/scripts/package" --no-build --out "$work/second") >"$work/second.log" 2>&1 ||
    { cat "$work/second.log"; return 1; }
  local zip="$work/first/$zip_name"
  check "zip made twice is byte-identical" cmp "$zip" "$work/second/$zip_name"
  check "installer made twice is byte-identical" cmp "$work/first/$setup_name" "$work/second/$setup_name"
  check "zip holds the program folder" diff <(zip_names "$zip" | sed 's|/.*||' | sort -u) <(echo "ZV-LK5MQ-$version")
  local name
  for name in ZVLK5MQ.exe zvlkrmt.dll zvlkctrl.dll zvlk5m1033.dll zvsetup.exe zvdconv.exe zvsim.exe zvremote.exe readme.txt; do
    check "zip holds $name" grep -qx "ZV-LK5MQ-$version/$name" <(zip_names "$zip")
  done
  check "zip entries in name order" sorted_by_name "$zip"
  check "zip entries: mode 0644, commit time, no extra fields" zip_entries_plain "$zip"
}

# ---------------------------------------------------------------------------------------

UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZV-LK5MQ'
TEST_ROOT_WIN='C:\zv package test'
FOLDER_WIN="$TEST_ROOT_WIN\\Program Files\\ZV-LK5MQ"
menu_folder() { echo "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZV-LK5MQ"; }

registry_value() { "$wine" reg query "$UNINSTALL_KEY" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }
no_registry_key() { ! "$wine" reg query "$UNINSTALL_KEY" >/dev/null 2>&1; }

same_files_as_zip() {
  local folder=$1 unpacked="$work/unpacked"
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  unzip -q "$work/first/$zip_name" -d "$unpacked"
  diff -r -x uninstall.exe "$unpacked/ZV-LK5MQ-$version" "$folder"
}

run_installed_program() {
  local log="$work/ui.log"
  (cd "$ROOT/build/win64/tests/ui" && ZV_UI_PROGRAM_FOLDER="$FOLDER_WIN" \
    timeout --kill-after=10 300 "$wine" ./zv_ui_tests.exe \
    --gtest_filter='StartUp.SecondStartActivatesTheFirstWindowAndEnds:MainWindow.ConnectAndDisconnectSwitchTheCommands:Closing.ExitEndsWithoutAskingEvenWhenConnected' \
    </dev/null) >"$log" 2>&1 || true
  tr -d '\r' <"$log" | grep -E '^\[( +OK|  FAILED|  PASSED) ' || true
  tr -d '\r' <"$log" | grep -qx '\[  PASSED  \] 3 tests\.' || { tail -n 40 "$log"; return 1; }
}

install() {
  [[ -n "${WINEPREFIX:-}" ]] || { echo "WINEPREFIX is not set"; return 1; }
  local setup="$work/first/$setup_name"
  if [[ ! -f "$setup" ]]; then
    "$ROOT/scripts/package" --no-build --out "$work/first" >"$work/first.log" 2>&1 ||
      { cat "$work/first.log"; return 1; }
  fi
  local root_unix="$WINEPREFIX/drive_c/zv package test"
  local folder="$root_unix/Program Files/ZV-LK5MQ" menu
  menu=$(menu_folder)
  # What an interrupted earlier run left.
  rm -rf "$root_unix" "$menu"
  "$wine" reg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1 || true

  # The installer takes the rest of its command line after /D= as the folder, spaces and all,
  # but no quotes: wine would quote an argument with spaces, cmd passes the line as it is.
  # The installer's own path must have none: it is copied to the prefix's temporary folder.
  local copy="$WINEPREFIX/drive_c/windows/temp/zv-package-setup.exe" rc=0
  cp "$setup" "$copy"
  "$wine" cmd /c "C:\\windows\\temp\\zv-package-setup.exe /S /D=$FOLDER_WIN" </dev/null || rc=$?
  rm -f "$copy"
  check "silent install exits with 0" test "$rc" -eq 0
  check "installed files are the zip's" same_files_as_zip "$folder"
  check "uninstaller installed" test -f "$folder/uninstall.exe"
  check "Start-menu shortcut to the program" test -f "$menu/ZV-LK5MQ.lnk"
  if unzip -l "$work/first/$zip_name" | grep -q 'ZV-LK5MQ\.chm$'; then
    check "Start-menu shortcut to the help" test -f "$menu/ZV-LK5MQ Help.lnk"
  fi
  check "uninstaller entry: version" test "$(registry_value DisplayVersion)" == "$version"
  check "uninstaller entry: silent uninstall" \
    test "$(registry_value QuietUninstallString)" == "\"$FOLDER_WIN\\uninstall.exe\" /S"
  check "installed program starts and connects (UI scenarios)" run_installed_program

  rc=0
  "$wine" "$folder/uninstall.exe" /S </dev/null || rc=$?
  # The uninstaller goes on in a copy of itself in the temporary folder: wait for it.
  wineserver -w
  check "silent uninstall exits with 0" test "$rc" -eq 0
  check "no installed file remains" test ! -e "$folder"
  check "no Start-menu shortcut remains" test ! -e "$menu"
  check "no uninstaller entry remains" no_registry_key
  rm -rf "$root_unix"
}

"$mode"
echo "$failures failed"
[[ $failures -eq 0 ]]
