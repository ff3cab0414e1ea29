#!/usr/bin/env bash
# twk build against the builder alone, in one run on one corpus: bench_builder
# (the PackageBuilder called directly, one thread and every core) and
# `twk build` of a project for the same folder at -j 1 and -j 2, without the
# compression cache; then `twk build -j 2` over a fresh cache three times:
# cold, warm with nothing changed, warm with 1% of the files changed. Prints
# the times and the ratios. Built without sanitizers (build/release).
#   bench/twk_build_bench.sh [FILES]       default 5000 files (about 215 MB)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
files=${1:-5000}
out=build/bench
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target bench_corpus bench_builder twk >/dev/null
mkdir -p "$out"
if [ ! -d "$out/corpus-$files" ]; then
  build/release/bench/bench_corpus "$out/corpus-$files" "$files" >/dev/null
fi
corpus=$(cd "$out/corpus-$files" && pwd)

# An installation folder like the one bench_builder makes for itself.
inst="$out/inst"
mkdir -p "$inst/bin" "$inst/lang"
head -c 4096 /dev/zero | tr '\0' M >"$inst/bin/install.exe"
head -c 4096 /dev/zero | tr '\0' U >"$inst/bin/UnBundlewright.exe"
cp resources/lang/*.txt "$inst/lang/"

# The project: the demo's, moved to the corpus, every optional page off.
python3 - "$corpus" "$out/bench.wzp" <<'EOF'
import os, sys
corpus, target = sys.argv[1], sys.argv[2]
win = lambda p: 'Z:' + p.replace('/', '\\')
lines = []
for folder, dirs, names in os.walk(corpus):
    dirs.sort()
    files = sorted(n for n in names)
    lines += [win(os.path.join(folder, n)) for n in files]
    if not files:
        lines.append(win(folder) + '\\temp$')
wzp = open('demo/demo.wzp', 'rb').read().decode('latin-1')
head, rest = wzp.split('`start2`', 1)
rest = rest.split('`start3`', 1)[1]
options = rest.split('`start4`', 1)[1].split('`start5`', 1)[1]
sep = '~!@#$%^&*()*&^%$#@!~'
body = (head + '`start2`' + win(corpus) + sep + 'C:\\Program Files\\Bench`1`start3`' +
        ''.join(l + '\r\r\n' for l in lines) + '`start4`0` `0`0` `0` `0` `0` `0`start5`' + options)
import re
body = re.sub(r'`start11`[01]+`', lambda m: '`start11`' + '0' * (len(m.group(0)) - 10) + '`', body)
open(target, 'wb').write(body.encode('latin-1'))
EOF

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
echo "== bench_builder (the builder alone) =="
bench=$(build/release/bench/bench_builder "$corpus" "$out/builder.exe")
echo "$bench"
b1=$(sed -nE 's/^builder, 1 thread +: +([0-9.]+) s.*/\1/p' <<<"$bench")
bn=$(sed -nE 's/^builder, [0-9]+ threads +: +([0-9.]+) s.*/\1/p' <<<"$bench")

echo "== twk build =="
declare -A took
for j in 1 2; do
  t0=$(now)
  TWKINSTDIR="$inst" build/release/cli/twk build "$out/bench.wzp" --output "$out/twk-j$j.exe" -j "$j" -q --no-cache
  took[$j]=$(calc "$(now) - $t0")
  printf 'twk build -j %s        : %7.2f s\n' "$j" "${took[$j]}"
done
cmp -s "$out/twk-j1.exe" "$out/twk-j2.exe" && same=yes || same=NO
echo "packages of -j 1 and -j 2 identical: $same"
printf 'ratio twk -j 1 / builder 1 thread : %.3f\n' "$(calc "${took[1]} / $b1")"
[ -n "$bn" ] && printf 'ratio twk -j 2 / builder %s threads: %.3f\n' "$(nproc)" "$(calc "${took[2]} / $bn")"
printf 'speed-up of twk -j 2 over -j 1    : %.2fx\n' "$(calc "${took[1]} / ${took[2]}")"

echo "== twk build -j 2 over a compression cache =="
cache="$out/cache"
rm -rf "$cache"
timed() {  # label, output
  local t0 t
  t0=$(now)
  TWKINSTDIR="$inst" build/release/cli/twk build "$out/bench.wzp" --output "$2" -j 2 -q --cache "$cache"
  t=$(calc "$(now) - $t0")
  printf '%-26s: %7.2f s\n' "$1" "$t" >&2
  echo "$t"
}
cold=$(timed "cold cache" "$out/twk-cold.exe")
warm=$(timed "warm cache, no change" "$out/twk-warm.exe")
cmp -s "$out/twk-cold.exe" "$out/twk-warm.exe" && same=yes || same=NO
cmp -s "$out/twk-cold.exe" "$out/twk-j2.exe" && nocache=yes || nocache=NO
# 1% of the files get one byte more, and are put back afterwards: the 50th
# of every hundred in name order (the corpus's three large files, at its end,
# are not among them; one of them alone is a sixth of the bytes).
mapfile -t all < <(cd "$corpus" && find . -type f | sort)
changed=()
for ((i = 50; i < ${#all[@]}; i += 100)); do changed+=("$corpus/${all[$i]}"); done
changed_bytes=$(cat "${changed[@]}" | wc -c)
for f in "${changed[@]}"; do cp -p "$f" "$f.orig"; printf '!' >>"$f"; done
restore() { for f in "${changed[@]}"; do [ -f "$f.orig" ] && mv -f "$f.orig" "$f"; done; }
trap restore EXIT
one=$(timed "warm cache, 1% changed" "$out/twk-changed.exe")
restore
trap - EXIT
echo "files changed: ${#changed[@]} of ${#all[@]} ($changed_bytes bytes)"
echo "warm and cold packages identical: $same; cold and no-cache packages identical: $nocache"
printf 'cold with cache / without (-j 2): %.3f\n' "$(calc "$cold / ${took[2]}")"
printf 'warm, no change / cold          : %.3f  (goal at most 0.15)\n' "$(calc "$warm / $cold")"
printf 'warm, 1%% changed / cold         : %.3f  (goal at most 0.20)\n' "$(calc "$one / $cold")"
rm -rf "$cache"
