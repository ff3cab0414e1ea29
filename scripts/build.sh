#!/usr/bin/env bash
# Builds both sides: the Win32 programs and tests (build/win32, filling the
# installation folder build/dist) and the native tools and tests with
# sanitizers (build/native).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=$(nproc)
# Configure every time: new area and test folders are found by globbing at configure time.
cmake -S . -B build/win32 -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw32.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win32 -j "$jobs"
cmake -S . -B build/native -G Ninja -DBW_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"
