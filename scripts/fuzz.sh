#!/usr/bin/env bash
# Builds the fuzz targets of our parsers with clang and libFuzzer (build/fuzz)
# and runs each for its bounded time, from its seeds and the corpus kept in
# build/fuzz/corpus. A target that crashes or breaks an invariant fails; its
# input is left under build/fuzz/crashes/<target>/. Writes "PASSED FAILED" to
# build/fuzz/results.
#   scripts/fuzz.sh [TARGET...]      only the targets named
#   BW_FUZZ_SCALE=0.1 scripts/fuzz.sh   every time multiplied (quick local runs)
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
out=build/fuzz
scale=${BW_FUZZ_SCALE:-1}
mkdir -p "$out"
echo "0 1" >"$out/results"
rm -rf "$out/fuzz-targets"

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$out" -G Ninja -DBW_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >"$out/configure.log" 2>&1 \
  || { cat "$out/configure.log"; echo "fuzz: configure failed"; exit 1; }

declare -a names=()
declare -A seconds program seeder dict regressions
for f in "$out"/fuzz-targets/*.txt; do
  [ -e "$f" ] || continue
  IFS='|' read -r n s p w d r <"$f"
  if [ $# -gt 0 ] && [[ " $* " != *" $n "* ]]; then continue; fi
  names+=("$n"); seconds[$n]=$s; program[$n]=$p; seeder[$n]=$w; dict[$n]=$d; regressions[$n]=$r
done
if [ ${#names[@]} -eq 0 ]; then echo "fuzz: no targets"; exit 1; fi

build_targets=()
for n in "${names[@]}"; do build_targets+=("$n" "${n}_driver"); done
cmake --build "$out" -j "$(nproc)" --target "${build_targets[@]}" >"$out/build.log" 2>&1 \
  || { tail -n 60 "$out/build.log"; echo "fuzz: build failed"; exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
passed=0; failed=0
mkdir -p "$out/logs"
for n in "${names[@]}"; do
  secs=$(awk -v s="${seconds[$n]}" -v k="$scale" 'BEGIN { t = int(s * k + 0.5); print (t < 1 ? 1 : t) }')
  corpus="$out/corpus/$n"; seeds="$out/seeds/$n"; crashes="$out/crashes/$n"; log="$out/logs/$n.log"
  rm -rf "$seeds"; mkdir -p "$corpus" "$crashes"
  args=(-max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$crashes/")
  [ -n "${dict[$n]}" ] && args+=(-dict="${dict[$n]}")
  dirs=("$corpus" "$seeds")
  [ -n "${regressions[$n]}" ] && dirs+=("${regressions[$n]}")
  if ! "${seeder[$n]}" --write-seeds "$seeds" >"$log" 2>&1; then
    echo "fuzz $n: FAILED (the seeds break it)"; tail -n 30 "$log"; failed=$((failed + 1)); continue
  fi
  if timeout $((secs + 120)) "${program[$n]}" "${args[@]}" "${dirs[@]}" >>"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n1)
    echo "fuzz $n: passed (${secs}s, ${runs:-?} inputs)"
    passed=$((passed + 1))
  else
    echo "fuzz $n: FAILED, input kept in $crashes/"
    grep -E 'ERROR|invariant broken|SUMMARY|Test unit written' "$log" | head -n 10
    failed=$((failed + 1))
  fi
done
echo "$passed $failed" >"$out/results"
echo "fuzz targets: $passed clean, $failed failing"
[ "$failed" -eq 0 ]
