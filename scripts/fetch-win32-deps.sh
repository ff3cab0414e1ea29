#!/usr/bin/env bash
# Builds libbz2, libjpeg (version 62) and GoogleTest for Windows from Debian's
# source packages:
#   scripts/fetch-win32-deps.sh [i686|x86_64]   (default: $BW_WIN_ARCH, else i686)
# i686 goes to build/deps/win32, x86_64 to build/deps/win64. The sources are
# fetched once into build/deps/src, with apt-get source through a private apt
# configuration under build/apt whose deb-src lines are derived from this
# machine's own apt sources; the machine's configuration is untouched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
arch=${1:-${BW_WIN_ARCH:-i686}}
case "$arch" in
  i686)   name=win32; obj="$build/deps/obj" ;;
  x86_64) name=win64; obj="$build/deps/obj-win64" ;;
  *) echo "usage: fetch-win32-deps.sh [i686|x86_64]" >&2; exit 2 ;;
esac
prefix="$build/deps/$name"
src="$build/deps/src"
stamp="$prefix/.complete"
[ -f "$stamp" ] && { echo "$name deps: in place"; exit 0; }
mkdir -p "$src" "$prefix/lib" "$prefix/include"

# The private apt configuration; only needed while a source is still missing.
aptopts=(-o "Dir::Etc::SourceList=$build/apt/sources.list"
         -o "Dir::Etc::SourceParts=$build/apt/sources.list.d"
         -o "Dir::State::Lists=$build/apt/lists"
         -o "Dir::Cache=$build/apt/cache"
         -o "APT::Sandbox::User=root")
apt_setup() {
  mkdir -p "$build/apt/lists/partial" "$build/apt/cache/archives/partial" "$build/apt/sources.list.d"
  # deb-src lines from the machine's enabled sources (both formats).
  : > "$build/apt/sources.list"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    grep -E '^\s*deb\s' "$f" | sed -E 's/^\s*deb\s/deb-src /' >> "$build/apt/sources.list" || true
  done
  rm -f "$build/apt/sources.list.d/"*
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" > "$build/apt/sources.list.d/$(basename "$f")"
  done
  if ! ls "$build/apt/lists/"*Sources* >/dev/null 2>&1; then
    apt-get "${aptopts[@]}" update -q >&2 || echo "$name deps: apt update reported errors; trying the sources it fetched" >&2
  fi
}

fetch() {  # package, glob of its unpacked folder
  local pkg=$1
  if ! ls -d "$src/"$2 >/dev/null 2>&1; then
    apt_setup
    (cd "$src" && apt-get "${aptopts[@]}" source -q "$pkg" >&2) || {
      echo "$name deps: could not fetch the source package '$pkg' (needs deb-src access and dpkg-dev)" >&2; exit 1; }
  fi
  ls -d "$src/"$2 | sed "s:/*$::" | grep -v '\.orig' | head -n1
}

cross=$arch-w64-mingw32
cc=$cross-gcc-posix
ar=$cross-gcc-ar-posix
jobs=$(nproc)

# libbz2: a handful of C files.
bzdir=$(fetch bzip2 'bzip2-1*/')
echo "$name deps: libbz2 from $bzdir"
mkdir -p "$obj/bz2"
for c in blocksort huffman crctable randtable compress decompress bzlib; do
  $cc -O2 -D_FILE_OFFSET_BITS=64 -c "$bzdir/$c.c" -o "$obj/bz2/$c.o"
done
rm -f "$prefix/lib/libbz2.a"
$ar rcs "$prefix/lib/libbz2.a" "$obj/bz2/"*.o
cp "$bzdir/bzlib.h" "$prefix/include/"

toolchain=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw32.cmake" -DBW_WIN_ARCH="$arch")

# libjpeg-turbo, the 6b interface (version 62), static, no SIMD (no nasm needed).
jdir=$(fetch libjpeg-turbo 'libjpeg-turbo-[0-9]*/')
echo "$name deps: libjpeg from $jdir"
cmake -S "$jdir" -B "$obj/jpeg" -G Ninja "${toolchain[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DREQUIRE_SIMD=OFF >/dev/null
cmake --build "$obj/jpeg" -j "$jobs" --target jpeg-static >/dev/null
cp "$obj/jpeg/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$jdir/jpeglib.h" "$jdir/jmorecfg.h" "$jdir/jerror.h" "$obj/jpeg/jconfig.h" "$prefix/include/"

# GoogleTest.
gdir=$(fetch googletest 'googletest-[0-9]*/')
echo "$name deps: GoogleTest from $gdir"
cmake -S "$gdir" -B "$obj/gtest" -G Ninja "${toolchain[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build "$obj/gtest" -j "$jobs" >/dev/null
cmake --install "$obj/gtest" >/dev/null

touch "$stamp"
echo "$name deps: built into $prefix"
