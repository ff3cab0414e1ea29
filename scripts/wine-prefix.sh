#!/usr/bin/env bash
# Creates the Wine prefix inside build/, so tests never touch the user's own
# prefix: the 32-bit one, or the 64-bit one where 32-bit programs cannot run.
#   scripts/wine-prefix.sh [i686|x86_64]   (default: the Wine this machine runs)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] && export BW_WINE_ARCH=$1
source "$here/scripts/wine-env.sh"
# No window manager runs on the test display: windows that Wine draws itself
# show their caption and frame, and hiding one never waits for a manager.
bw_unmanaged() {
  local key='HKCU\Software\Wine\X11 Driver'
  bw_start_display
  "$bw_wine" reg query "$key" /v Managed 2>/dev/null | grep -qE 'REG_SZ[[:space:]]+N' && return 0
  "$bw_wine" reg add "$key" /v Managed /d N /f >/dev/null 2>&1 || true
}
if [ -f "$WINEPREFIX/.complete" ]; then bw_unmanaged; echo "wine prefix: in place ($WINEARCH)"; exit 0; fi
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
bw_start_display
WINEDLLOVERRIDES="mscoree,mshtml=" "$bw_wine" wineboot -i >/dev/null 2>&1 || true
"$bw_wineserver" -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix: wineboot did not create $WINEPREFIX" >&2; exit 1; }
bw_unmanaged
touch "$WINEPREFIX/.complete"
echo "wine prefix: created in $WINEPREFIX ($WINEARCH)"
