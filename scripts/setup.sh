#!/usr/bin/env bash
# Sets up a fresh Debian machine (as root): packages, Win32 libraries built
# from Debian's source packages (x86_64 ones too where 32-bit programs cannot
# run), and the Wine prefix inside build/ for the Wine that runs here.
# Idempotent: a second run only checks what is in place.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

packages=(cmake ninja-build g++ clang libclang-rt-dev dpkg-dev bzip2 libbz2-dev libjpeg-dev
          libxxhash-dev nlohmann-json3-dev googletest libgtest-dev libbenchmark-dev
          mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          wine wine32:i386 wine64 xvfb xauth imagemagick xdotool x11-utils fonts-dejavu-core
          osslsigncode openssl)

# Each phase says what it does and how long it took.
phase() {  # label, command...
  local label=$1 start=$SECONDS; shift
  echo "setup: $label ..."
  "$@" || { echo "setup: $label failed after $((SECONDS - start))s" >&2; exit 1; }
  echo "setup: $label done in $((SECONDS - start))s"
}

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && { echo "setup: every package in place"; return 0; }
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]} (run as root, or apt-get install them)" >&2
    return 1
  fi
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  bash scripts/apt-install.sh "${missing[@]}"
}

phase "packages" install_packages
phase "Win32 libraries" bash scripts/fetch-win32-deps.sh i686
# Where 32-bit programs cannot run (a kernel without IA-32 emulation), the
# Windows tests run from an x86_64 build under 64-bit Wine; its libraries are
# built only then, as nothing else uses them.
source scripts/wine-env.sh
test_arch=$(bw_test_arch)
if [ "$test_arch" = x86_64 ]; then
  echo "setup: this machine runs no 32-bit programs: the Windows tests run as x86_64 under 64-bit Wine"
  phase "Win64 libraries" bash scripts/fetch-win32-deps.sh x86_64
fi
phase "Wine prefix" bash scripts/wine-prefix.sh "$test_arch"
echo "setup: ready"
