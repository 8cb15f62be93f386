# shellcheck shell=bash
# Shared by ./test, ./run, scripts/fuzz and scripts/bench (sourced, not run).
# Knows the build flavours and how to configure and build them incrementally.

ZV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZV_BUILD="$ZV_ROOT/build"
ZV_JOBS=$(nproc)

# Wine turns the Windows side's file names into Unix ones through the character set of the
# Unix locale. Without a locale (LANG and LC_ALL unset, as in a bare container or chroot) that
# is ASCII, and no name with an umlaut can be made or opened. The locale also decides the
# user locale the Windows programs see (LC_ALL=de_DE.UTF-8 gives 1031).

# Exports LC_ALL=C.UTF-8 (which every Debian has) unless the caller's locale already has a
# UTF-8 character set; keeps the caller's language where it can.
zv_utf8_locale() {
  local charmap
  charmap=$(locale charmap 2>/dev/null || true)
  [[ $charmap == UTF-8 ]] && return 0
  export LC_ALL=C.UTF-8
}

# True when the locale NAME (e.g. de_DE.UTF-8) is installed.
zv_locale_installed() {
  local wanted
  wanted=$(tr '[:upper:]' '[:lower:]' <<<"${1/UTF-8/utf8}")
  locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | grep -qxF "$wanted"
}

# Sets FLAVOUR_ENV (compiler variables for the first configure) and FLAVOUR_ARGS (CMake
# options) for one build flavour; its folder is build/<flavour>.
zv_flavour() {
  local flavour=$1
  case "$flavour" in
    gcc)
      FLAVOUR_ENV=(CC=gcc CXX=g++)
      FLAVOUR_ARGS=(-DZV_WERROR=ON -DZV_TESTS=ON -DZV_FUZZ=OFF -DZV_BENCH=OFF -DZV_SANITIZE=)
      ;;
    clang)
      FLAVOUR_ENV=(CC=clang CXX=clang++)
      FLAVOUR_ARGS=(-DZV_WERROR=ON -DZV_TESTS=ON -DZV_FUZZ=ON -DZV_BENCH=OFF
                    "-DZV_SANITIZE=address,undefined")
      ;;
    tsan)
      FLAVOUR_ENV=(CC=clang CXX=clang++)
      FLAVOUR_ARGS=(-DZV_WERROR=ON -DZV_TESTS=ON -DZV_FUZZ=OFF -DZV_BENCH=OFF -DZV_SANITIZE=thread)
      ;;
    win64)
      FLAVOUR_ENV=()
      FLAVOUR_ARGS=("-DCMAKE_TOOLCHAIN_FILE=$ZV_ROOT/cmake/toolchain-mingw-x86_64.cmake"
                    -DZV_WERROR=ON -DZV_TESTS=ON -DZV_FUZZ=OFF -DZV_BENCH=OFF -DZV_SANITIZE=)
      ;;
    win32)
      FLAVOUR_ENV=()
      FLAVOUR_ARGS=("-DCMAKE_TOOLCHAIN_FILE=$ZV_ROOT/cmake/toolchain-mingw-i686.cmake"
                    -DZV_WERROR=ON -DZV_TESTS=ON -DZV_FUZZ=OFF -DZV_BENCH=OFF -DZV_SANITIZE=)
      ;;
    coverage)
      FLAVOUR_ENV=(CC=clang CXX=clang++)
      FLAVOUR_ARGS=(-DZV_WERROR=ON -DZV_TESTS=ON -DZV_FUZZ=ON -DZV_BENCH=OFF -DZV_COVERAGE=ON
                    -DZV_SANITIZE=)
      ;;
    bench)
      FLAVOUR_ENV=(CC=gcc CXX=g++)
      FLAVOUR_ARGS=(-DCMAKE_BUILD_TYPE=Release -DZV_TESTS=OFF -DZV_FUZZ=OFF -DZV_BENCH=ON
                    -DZV_SANITIZE=)
      ;;
    *)
      echo "unknown build flavour: $flavour" >&2
      return 1
      ;;
  esac
}

# Configures build/<flavour> with Ninja unless it is already configured with the same
# options (Ninja re-runs CMake by itself when a CMakeLists.txt changes). Output goes to LOG.
zv_configure() {
  local flavour=$1 log=$2
  local dir="$ZV_BUILD/$flavour"
  zv_flavour "$flavour"
  local stamp="$dir/.zv-configured"
  local wanted
  wanted=$(printf '%s\n' "${FLAVOUR_ENV[@]}" "${FLAVOUR_ARGS[@]}")
  if [[ -f "$dir/build.ninja" && -f "$stamp" && "$(cat "$stamp")" == "$wanted" ]]; then
    return 0
  fi
  mkdir -p "$dir"
  rm -f "$stamp"
  if ! zv_run_cmake "$dir" >"$log" 2>&1; then
    # A cache from another generator or toolchain cannot be reused: start it afresh once.
    [[ -f "$dir/CMakeCache.txt" ]] || return 1
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    zv_run_cmake "$dir" >>"$log" 2>&1 || return 1
  fi
  printf '%s\n' "$wanted" >"$stamp"
}

zv_run_cmake() {
  local dir=$1
  env "${FLAVOUR_ENV[@]}" cmake -S "$ZV_ROOT" -B "$dir" -G Ninja "${FLAVOUR_ARGS[@]}"
}

# Builds TARGETS (default: all) in build/<flavour>, appending to LOG; keeps going past
# failures so that one broken target does not hide the state of the others.
zv_build() {
  local flavour=$1 log=$2
  shift 2
  ninja -C "$ZV_BUILD/$flavour" -j"$ZV_JOBS" -k 0 "$@" >>"$log" 2>&1
}

# True when TARGET in build/<flavour> is up to date (built, nothing stale).
zv_target_fresh() {
  local flavour=$1 target=$2
  local plan
  plan=$(ninja -C "$ZV_BUILD/$flavour" -n "$target" 2>/dev/null) || return 1
  grep -q '^ninja: no work to do\.' <<<"$plan"
}

# Configures and builds a flavour: 0 on success, else non-zero (details in LOG).
zv_configure_and_build() {
  local flavour=$1 log=$2
  shift 2
  zv_configure "$flavour" "$log" || return 1
  zv_build "$flavour" "$log" "$@"
}

# Prints the fuzz target names (fuzz_<name>) that build/clang defines, one per line.
zv_fuzz_targets() {
  [[ -f "$ZV_BUILD/clang/build.ninja" ]] || return 0
  ninja -C "$ZV_BUILD/clang" -t targets all 2>/dev/null |
    sed -n 's|^tests/fuzz/\(fuzz_[A-Za-z0-9_]*\): .*LINKER.*|\1|p' | sort -u
}

# -max_len for a target with seeds in SEEDS: the longest seed plus room to grow, at least
# 4 KiB; without seeds 20 KiB, room for the largest file format (a 15824-byte setup file).
zv_fuzz_max_len() {
  local seeds=$1 largest=""
  if [[ -d "$seeds" ]]; then
    largest=$(find "$seeds" -type f -printf '%s\n' | sort -n | tail -n 1)
  fi
  if [[ -z "$largest" || $largest -eq 0 ]]; then
    echo 20480
  elif ((largest + 1024 < 4096)); then
    echo 4096
  else
    echo $((largest + 1024))
  fi
}

# Wine for the UI test program of scripts/monkey and scripts/hostile: exports WINEPREFIX
# (PREFIX), WINEDEBUG, WINEDLLOVERRIDES and LC_ALL (ZV_WINE_LOCALE, default C.UTF-8: Wine maps
# ANSI file names through it), starts Xvfb when there is no DISPLAY (its log LOGS/xvfb-NAME.log)
# and makes the prefix on first use. zv_ui_wine_stop ends the display and the prefix's
# wineserver again.
zv_ui_wine_start() {
  local prefix=$1 logs=$2 name=$3
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LC_ALL=${ZV_WINE_LOCALE:-C.UTF-8}
  ZV_UI_XVFB_PID=""
  if [[ -z "${DISPLAY:-}" ]]; then
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" </dev/null >"$logs/xvfb-$name.log" 2>&1 &
    ZV_UI_XVFB_PID=$!
    for _ in $(seq 100); do [[ -s "$fdfile" ]] && break; sleep 0.1; done
    DISPLAY=":$(tr -dc '0-9' <"$fdfile")"
    export DISPLAY
    rm -f "$fdfile"
  fi
  if [[ ! -f "$WINEPREFIX/.zv-ready" ]]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >"$logs/wineboot.log" 2>&1 && wineserver -w && touch "$WINEPREFIX/.zv-ready"
  fi
}

# A small disk for the disk campaign (UI cases Disk.*): a tmpfs of SIZE (default 2m) mounted
# on DIR, which the cases fill themselves. Needs root (or sudo without a password); returns
# non-zero with the reason on standard error when the system refuses.
zv_small_disk_mount() {
  local dir=$1 size=${2:-2m}
  local -a sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo -n)
  mkdir -p "$dir" || return 1
  zv_small_disk_unmount "$dir"
  "${sudo[@]}" mount -t tmpfs -o "size=$size,mode=0777" tmpfs "$dir"
}

zv_small_disk_unmount() {
  local dir=$1
  local -a sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo -n)
  if mountpoint -q "$dir" 2>/dev/null; then "${sudo[@]}" umount "$dir" 2>/dev/null || "${sudo[@]}" umount -l "$dir"; fi
}

zv_ui_wine_stop() {
  [[ -z "${ZV_UI_XVFB_PID:-}" ]] || kill "$ZV_UI_XVFB_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
}
