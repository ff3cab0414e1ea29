# Sourced: the project's Wine environment and a display for it.
#   BW_WINE_ARCH=i686|x86_64 picks the Wine before sourcing; by default it is
#   the one this machine can run (bw_test_arch). bw_wine_use switches later.
#   i686:   32-bit Wine, prefix build/wineprefix   (BW_WINEPREFIX overrides)
#   x86_64: 64-bit Wine, prefix build/wineprefix64 (BW_WINEPREFIX64 overrides)
# After it, "$bw_wine" and "$bw_wineserver" are the programs to start.
bw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG="${WINEDEBUG:--all}"
# winemenubuilder would mirror every shortcut the tests make into the Linux desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

# Whether this machine runs 32-bit x86 programs, and so 32-bit Wine: kernels
# built without IA-32 emulation refuse them ("Exec format error") although
# wine32 installs fine. Asks the 32-bit Wine server itself, so a machine
# without wine32 answers no as well.
bw_runs_32bit() {
  /usr/lib/wine/wineserver32 --version >/dev/null 2>&1
}

# The Windows build whose programs run here: i686 (32-bit Wine), else x86_64
# (64-bit Wine). BW_TEST_ARCH=i686|x86_64 forces the answer.
bw_test_arch() {
  case "${BW_TEST_ARCH:-}" in
    i686|x86_64) echo "$BW_TEST_ARCH"; return 0 ;;
    "") ;;
    *) echo "wine: BW_TEST_ARCH is '$BW_TEST_ARCH': i686 or x86_64" >&2; return 1 ;;
  esac
  if bw_runs_32bit; then echo i686; else echo x86_64; fi
}

# Points the environment at the Wine for ARCH (i686 or x86_64).
bw_wine_use() {
  case "$1" in
    i686)
      export WINEARCH=win32 WINEPREFIX="${BW_WINEPREFIX:-$bw_root/build/wineprefix}"
      unset WINELOADER WINESERVER
      bw_wine=wine bw_wineserver=wineserver ;;
    x86_64)
      # Debian's wine wrapper always takes the 32-bit loader when wine32 is
      # installed: start the 64-bit one by its path.
      export WINEARCH=win64 WINEPREFIX="${BW_WINEPREFIX64:-$bw_root/build/wineprefix64}"
      export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
      bw_wine=$WINELOADER bw_wineserver=$WINESERVER ;;
    *) echo "wine: unknown architecture '$1' (i686 or x86_64)" >&2; return 1 ;;
  esac
  bw_wine_arch=$1
}

# Starts Xvfb on :77 when there is no display (shared by every run).
# The demo product as a build gives it: the checkout's tree, the demo's own
# programs from installation folder INST and an empty folder for its logs;
# the caller puts the product's bin/widget.exe in.
bw_demo_product() {  # DEST INST
  cp -r "$bw_root/demo/Widget" "$1" && cp "$2"/demo/*.exe "$1/bin/" && mkdir -p "$1/logs"
}

bw_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  export DISPLAY=:77
  if ! xdpyinfo >/dev/null 2>&1; then
    (Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &)
    for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "wine: Xvfb did not start on :77" >&2
    return 1
  fi
}

bw_wine_use "${BW_WINE_ARCH:-$(bw_test_arch)}" || return 1
