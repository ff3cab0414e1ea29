#!/usr/bin/env bash
# Sets everything up, builds what the demo runs and runs the main job on the
# bundled demo project: `twk build` makes the Widget package from demo/demo.wzp,
# `twk inspect` verifies it, install.exe installs it silently under Wine into
# a fresh folder, UnBundlewright removes it again; one screen tells the story.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
began=$SECONDS
bash scripts/setup.sh
setup_time=$((SECONDS - began))
source scripts/wine-env.sh
bw_start_display

# Only what the demo runs, in release builds: the Windows programs the
# package carries and installs (the product's 32-bit ones, or where this
# machine runs no 32-bit programs the x86_64 build of the same sources) and
# the native twk. The tests' builds are scripts/test.sh's.
built=$SECONDS
if [ "$bw_wine_arch" = i686 ]; then
  inst="$here/build/dist"; wdir=build/win32; wopts=()
else
  inst="$here/build/dist64"; wdir=build/win64; wopts=(-DBW_DIST_DIR="$inst")
fi
cmake -S . -B "$wdir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw32.cmake" \
  -DBW_WIN_ARCH="$bw_wine_arch" -DCMAKE_BUILD_TYPE=MinSizeRel "${wopts[@]}" >/dev/null
cmake --build "$wdir" -j "$(nproc)" --target demo_product
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target twk
build_time=$((SECONDS - built))
twk="$here/build/release/cli/twk"
work="$here/build/demo"
rm -rf "$work"
mkdir -p "$work/out"

# The product as a checkout has it, plus what a build adds: the program and
# an empty folder for its logs.
bw_demo_product "$work/Widget" "$inst" || exit 1
cp "$inst/bin/twk.exe" "$work/Widget/bin/widget.exe"

start=$SECONDS
echo "== twk build =="
TWKINSTDIR="$inst" "$twk" build demo/demo.wzp --source "$work/Widget" --output "$work/out/Widget-1.0-setup.exe"
echo "== twk inspect =="
"$twk" inspect "$work/out/Widget-1.0-setup.exe" | tee "$work/inspect.txt" | sed -n '1,3p;/^entries/,$p'

echo "== install.exe /S under Wine =="
"$bw_wineserver" -p 60 </dev/null >/dev/null 2>&1 || true
dest_host="$WINEPREFIX/drive_c/Demo/Widget"
rm -rf "$WINEPREFIX/drive_c/Demo"
find "$WINEPREFIX/drive_c/users" -name Widget-first-run.txt -delete 2>/dev/null || true
"$bw_wine" "$work/out/Widget-1.0-setup.exe" /S '/D=C:\Demo\Widget' </dev/null
installed=$(cd "$dest_host" && find . -type f | sort)
echo "$installed" | sed 's/^/  installed /'
# The post-installation program (bin\firstrun.exe) leaves its note in the temp folder.
first_run=$(find "$WINEPREFIX/drive_c/users" -name Widget-first-run.txt -exec cat {} + 2>/dev/null | tr -d '\r' || true)
echo "  post-installation program: ${first_run:-did not run}"

echo "== UnBundlewright =="
# The stub put it in the Windows folder; the installed-programs entry's quiet
# uninstall command removes the product without a question.
"$bw_wine" 'C:\windows\UnBundlewright.exe' /S '-fC:\Demo\Widget\Uninstall.wzu' </dev/null || true
left=$( (cd "$WINEPREFIX/drive_c/Demo" 2>/dev/null && find . -mindepth 1 | sort) || true)

package_size=$(stat -c %s "$work/out/Widget-1.0-setup.exe")
entries=$(grep -c '^  [a-z]' "$work/inspect.txt" || true)
echo
echo "================ Bundlewright demo ================"
echo "project   demo/demo.wzp (made with the wizard)"
echo "package   build/demo/out/Widget-1.0-setup.exe, $package_size bytes, $entries entries, verified by twk inspect"
echo "installed $(echo "$installed" | grep -c .) files into C:\\Demo\\Widget under Wine ($bw_wine_arch)"
if [ -z "$left" ]; then
  echo "removed   everything by UnBundlewright: C:\\Demo and all in it are gone"
else
  echo "left      after UnBundlewright:"
  echo "$left" | sed 's/^/            /'
fi
echo "time      $setup_time s set-up, $build_time s building the programs the demo runs,"
echo "          $((SECONDS - start)) s for twk build, inspect, install and uninstall"
echo "==================================================="
[ -z "$left" ]
