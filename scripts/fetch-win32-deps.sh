#!/usr/bin/env bash
# Builds libbz2, libjpeg (version 62) and GoogleTest for i686 Windows from
# Debian's source packages. The sources are fetched with apt-get source through
# a private apt configuration under build/apt whose deb-src lines are derived
# from this machine's own apt sources; the machine's configuration is untouched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
prefix="$build/deps/win32"
src="$build/deps/src"
stamp="$prefix/.complete"
[ -f "$stamp" ] && { echo "win32 deps: in place"; exit 0; }
mkdir -p "$build/apt/lists/partial" "$build/apt/cache/archives/partial" "$build/apt/sources.list.d" "$src" "$prefix/lib" "$prefix/include"

# deb-src lines from the machine's enabled sources (both formats).
: > "$build/apt/sources.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  grep -E '^\s*deb\s' "$f" | sed -E 's/^\s*deb\s/deb-src /' >> "$build/apt/sources.list" || true
done
rm -f "$build/apt/sources.list.d/"*
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  sed -E 's/^Types:.*/Types: deb-src/' "$f" > "$build/apt/sources.list.d/$(basename "$f")"
done

aptopts=(-o "Dir::Etc::SourceList=$build/apt/sources.list"
         -o "Dir::Etc::SourceParts=$build/apt/sources.list.d"
         -o "Dir::State::Lists=$build/apt/lists"
         -o "Dir::Cache=$build/apt/cache"
         -o "APT::Sandbox::User=root")
if ! ls "$build/apt/lists/"*Sources* >/dev/null 2>&1; then
  apt-get "${aptopts[@]}" update -q || echo "win32 deps: apt update reported errors; trying the sources it fetched"
fi

fetch() {  # package, glob of its unpacked folder
  local pkg=$1
  if ! ls -d "$src/$2" >/dev/null 2>&1; then
    (cd "$src" && apt-get "${aptopts[@]}" source -q "$pkg" >&2) || {
      echo "win32 deps: could not fetch the source package '$pkg' (needs deb-src access and dpkg-dev)" >&2; exit 1; }
  fi
  ls -d "$src/"$2 | sed "s:/*$::" | grep -v '\.orig' | head -n1
}

cross=i686-w64-mingw32
cc=$cross-gcc-posix
ar=$cross-gcc-ar-posix
jobs=$(nproc)

# libbz2: a handful of C files.
bzdir=$(fetch bzip2 'bzip2-1*/')
echo "win32 deps: libbz2 from $bzdir"
mkdir -p "$build/deps/obj/bz2"
for c in blocksort huffman crctable randtable compress decompress bzlib; do
  $cc -O2 -D_FILE_OFFSET_BITS=64 -c "$bzdir/$c.c" -o "$build/deps/obj/bz2/$c.o"
done
rm -f "$prefix/lib/libbz2.a"
$ar rcs "$prefix/lib/libbz2.a" "$build/deps/obj/bz2/"*.o
cp "$bzdir/bzlib.h" "$prefix/include/"

toolchain="$here/cmake/toolchain-mingw32.cmake"

# libjpeg-turbo, the 6b interface (version 62), static, no SIMD (no nasm needed).
jdir=$(fetch libjpeg-turbo 'libjpeg-turbo-[0-9]*/')
echo "win32 deps: libjpeg from $jdir"
cmake -S "$jdir" -B "$build/deps/obj/jpeg" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DREQUIRE_SIMD=OFF >/dev/null
cmake --build "$build/deps/obj/jpeg" -j "$jobs" --target jpeg-static >/dev/null
cp "$build/deps/obj/jpeg/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$jdir/jpeglib.h" "$jdir/jmorecfg.h" "$jdir/jerror.h" "$build/deps/obj/jpeg/jconfig.h" "$prefix/include/"

# GoogleTest.
gdir=$(fetch googletest 'googletest-[0-9]*/')
echo "win32 deps: GoogleTest from $gdir"
cmake -S "$gdir" -B "$build/deps/obj/gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build "$build/deps/obj/gtest" -j "$jobs" >/dev/null
cmake --install "$build/deps/obj/gtest" >/dev/null

touch "$stamp"
echo "win32 deps: built into $prefix"
