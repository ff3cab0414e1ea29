#!/usr/bin/env bash
# Sets everything up, builds both sides and runs the main job on the bundled
# demo project.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
bash scripts/build.sh
if [ -x build/native/cli/twk ] && [ -f demo/demo.wzp ] && build/native/cli/twk build --help >/dev/null 2>&1; then
  TWKINSTDIR="$here/build/dist" build/native/cli/twk build demo/demo.wzp
else
  # Until the wizard runs on autopilot: show the Win32 programs start under Wine.
  for exe in build/dist/bin/*.exe; do
    [ -f "$exe" ] || continue
    echo "demo: built $exe ($(stat -c %s "$exe") bytes)"
  done
  bash scripts/wine-run.sh build/win32/platform/os/bw_os_probe.exe
fi
