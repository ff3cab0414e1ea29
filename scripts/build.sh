#!/usr/bin/env bash
# Builds both sides: the Win32 programs and tests (build/win32, i686, filling
# the installation folder build/dist) and the native tools and tests with
# sanitizers (build/native). Where this machine cannot run 32-bit programs,
# also the x86_64 Windows build (build/win64, installation folder build/dist64)
# that the Windows tests run from instead.
set -euo pipefail
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
win_build build/win32 i686
if [ "$(bw_test_arch)" = x86_64 ]; then
  echo "build: this machine runs no 32-bit programs; building build/win64 (x86_64) for the Windows tests"
  win_build build/win64 x86_64 -DBW_DIST_DIR="$here/build/dist64"
fi
cmake -S . -B build/native -G Ninja -DBW_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"
