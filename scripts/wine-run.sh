#!/usr/bin/env bash
# Runs a Win32 program or test binary under Wine in the project's prefix,
# starting Xvfb when there is no display; exits with the program's exit code.
set -uo pipefail
source "$(cd "$(dirname "$0")" && pwd)/wine-env.sh"
[ $# -ge 1 ] || { echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2; exit 2; }
[ -f "$WINEPREFIX/.complete" ] || { echo "wine: no prefix in $WINEPREFIX (run scripts/setup.sh)" >&2; exit 2; }
bw_start_display || exit 2
wineserver -p 60 >/dev/null 2>&1 || true   # keep one server alive between runs
wine "$@"
