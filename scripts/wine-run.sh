#!/usr/bin/env bash
# Runs a Windows program or test binary under Wine in the project's prefix,
# starting Xvfb when there is no display; exits with the program's exit code.
#   wine-run.sh [--arch=i686|x86_64] PROGRAM.exe [ARGS...]
# --arch names the program's architecture (each build's tests pass it); without
# it the Wine this machine runs is used.
set -uo pipefail
case "${1:-}" in
  --arch=*) export BW_WINE_ARCH=${1#--arch=}; shift ;;
esac
source "$(cd "$(dirname "$0")" && pwd)/wine-env.sh" || exit 2
[ $# -ge 1 ] || { echo "usage: wine-run.sh [--arch=i686|x86_64] PROGRAM.exe [ARGS...]" >&2; exit 2; }
[ -f "$WINEPREFIX/.complete" ] || { echo "wine: no prefix in $WINEPREFIX (run scripts/setup.sh)" >&2; exit 2; }
bw_start_display || exit 2
"$bw_wineserver" -p 60 >/dev/null 2>&1 || true   # keep one server alive between runs
"$bw_wine" "$@"
