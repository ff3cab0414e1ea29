#!/usr/bin/env bash
# The silent install under Wine against `bzip2 -dc` of the same compressed
# streams in one process, in the same run. A plain package of the corpus
# (files only) is built natively around the x86_64 stub (build/dist64), then
# each round times `bzip2 -dc STREAMS >/dev/null` and `install.exe /S` into
# a fresh folder of a Wine prefix of its own, and prints the ratio and the
# load. Built without sanitizers (build/release); the stub is the product
# build (MinSizeRel) of build/win64.
#   bench/install_bench.sh [FILES] [ROUNDS]    default 5000 files (about 140 MB), 5 rounds
#   BW_BENCH_STUB=other/install.exe            another stub in front of the same files
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
files=${1:-5000}
rounds=${2:-5}
out=build/bench
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target bench_corpus bench_package >/dev/null
[ -d build/win64 ] || { echo "install_bench: build/win64 first (scripts/build.sh win64)" >&2; exit 2; }
cmake --build build/win64 -j "$(nproc)" --target bw_install UnBundlewright >/dev/null
dist=build/dist64/bin
mkdir -p "$out"
if [ ! -d "$out/corpus-$files" ]; then
  build/release/bench/bench_corpus "$out/corpus-$files" "$files" >/dev/null
fi
stub=${BW_BENCH_STUB:-$dist/install.exe}
build/release/bench/bench_package "$out/corpus-$files" "$stub" "$dist/UnBundlewright.exe" \
  "$out/install-$files.exe" "$out/streams-$files.bz2"

source scripts/wine-env.sh
bw_wine_use x86_64
export WINEPREFIX="$here/$out/wineprefix64"
bw_start_display
"$bw_wineserver" -p 60 </dev/null >/dev/null 2>&1 || true
"$bw_wine" wineboot </dev/null >/dev/null 2>&1 || true
dest_root="$WINEPREFIX/drive_c"
# Every round installs into a folder of its own; they are removed when the
# bench ends. Removing thousands of files leaves ext4 without a journal slow at
# creating new ones for minutes afterwards (it skips recently freed inodes one
# by one, in the file server's single thread), which the installer pays for
# and `bzip2 -dc` does not: the first round after such a removal shows it, so
# the median over the rounds is the figure to go by.
remove_destinations() { rm -rf "$dest_root"/BenchDest*; }
remove_destinations
trap remove_destinations EXIT

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
t0=$(now); "$bw_wine" cmd.exe /c rem </dev/null >/dev/null 2>&1; wine_start=$(calc "$(now) - $t0")
printf 'wine start-up alone (cmd /c rem): %.2f s, %s cores\n' "$wine_start" "$(nproc)"
best=""
ratios=""
for r in $(seq 1 "$rounds"); do
  dest_host="$dest_root/BenchDest$r"
  # One folder to a product: the last round's installation is forgotten
  # (its entry in the list of installed programs) so this one may go elsewhere.
  "$bw_wine" reg delete 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Benchmark' /f \
    </dev/null >/dev/null 2>&1 || true
  sync   # nothing of the last round or the package build still on its way to the disk
  t0=$(now); bzip2 -dc "$out/streams-$files.bz2" >/dev/null; bz=$(calc "$(now) - $t0")
  l1=$(load)
  t0=$(now)
  rc=0; "$bw_wine" "$out/install-$files.exe" /S "/D=C:\\BenchDest$r" </dev/null >/dev/null 2>"$out/install.err" || rc=$?
  inst=$(calc "$(now) - $t0")
  got=$( (find "$dest_host" -type f 2>/dev/null || true) | wc -l)
  ratio=$(calc "$inst / $bz")
  printf 'round %s: bzip2 -dc %6.2f s   install /S %6.2f s (exit %s, %s files)   ratio %.2f   load %s\n' \
    "$r" "$bz" "$inst" "$rc" "$got" "$ratio" "$l1"
  [ "$rc" = 0 ] || { echo "install_bench: the install failed (exit $rc): $(cat "$out/install.err")" >&2; exit 1; }
  ratios="$ratios $ratio"
  if [ -z "$best" ] || awk "BEGIN { exit !($ratio < $best) }"; then best=$ratio; fi
done
median=$(printf '%s\n' $ratios | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
printf 'ratio install / bzip2 -dc: best %.2f, median %.2f (goal: at most 1.5)\n' "$best" "$median"
