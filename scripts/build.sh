#!/usr/bin/env bash
# Builds both sides: the Win32 programs and tests (build/win32, i686, filling
# the installation folder build/dist) and the native tools and tests with
# sanitizers (build/native). Where this machine cannot run 32-bit programs,
# also the x86_64 Windows build (build/win64, installation folder build/dist64)
# that the Windows tests run from instead.
#   scripts/build.sh [native|win32|win64]   one of them only (the inner loop)
set -euo pipefail
only=${1:-all}
case "$only" in all|native|win32|win64) ;; *) echo "usage: build.sh [native|win32|win64]" >&2; exit 2 ;; esac
want() { [ "$only" = all ] || [ "$only" = "$1" ]; }
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
source scripts/wine-env.sh
jobs=$(nproc)
win_build() {  # folder, architecture, more cmake options...
  local dir=$1 arch=$2; shift 2
  # Configure every time: new area and test folders are found by globbing at configure time.
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw32.cmake" \
    -DBW_WIN_ARCH="$arch" -DCMAKE_BUILD_TYPE=MinSizeRel "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}
if want win32; then win_build build/win32 i686; fi
if want win64 && { [ "$only" = win64 ] || [ "$(bw_test_arch)" = x86_64 ]; }; then
  [ "$only" = all ] && echo "build: this machine runs no 32-bit programs; building build/win64 (x86_64) for the Windows tests"
  win_build build/win64 x86_64 -DBW_DIST_DIR="$here/build/dist64"
fi
if want native; then
  cmake -S . -B build/native -G Ninja -DBW_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/native -j "$jobs"
fi
