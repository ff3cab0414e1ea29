#!/usr/bin/env bash
# Creates the 32-bit Wine prefix inside build/, so tests never touch the
# user's own prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
if [ -f "$WINEPREFIX/.complete" ]; then echo "wine prefix: in place"; exit 0; fi
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
bw_start_display
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix: wineboot did not create $WINEPREFIX" >&2; exit 1; }
touch "$WINEPREFIX/.complete"
echo "wine prefix: created in $WINEPREFIX"
