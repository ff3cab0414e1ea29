# Sourced: the project's Wine environment and a display for it.
bw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${BW_WINEPREFIX:-$bw_root/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# winemenubuilder would mirror every shortcut the tests make into the Linux desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

# Starts Xvfb on :77 when there is no display (shared by every run).
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
