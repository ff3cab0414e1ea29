#!/usr/bin/env bash
# Sets up a fresh Debian machine (as root): packages, Win32 libraries built
# from Debian's source packages, and the Wine prefix inside build/.
# Idempotent: a second run only checks what is in place.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

packages=(cmake ninja-build g++ clang libclang-rt-dev dpkg-dev bzip2 libbz2-dev libjpeg-dev
          googletest libgtest-dev libbenchmark-dev
          mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          wine wine32:i386 xvfb xauth imagemagick xdotool x11-utils fonts-dejavu-core)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]} (run as root, or apt-get install them)" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

bash scripts/fetch-win32-deps.sh
bash scripts/wine-prefix.sh
echo "setup: ready"
