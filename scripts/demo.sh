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
  # The build whose programs run here: build/win64 where 32-bit ones cannot.
  source scripts/wine-env.sh
  if [ "$bw_wine_arch" = i686 ]; then probe_build=build/win32; else probe_build=build/win64; fi
  bash scripts/wine-run.sh --arch="$bw_wine_arch" "$probe_build/platform/os/bw_os_probe.exe"
fi
