#!/usr/bin/env bash
# Sets everything up, builds both sides and runs every suite: native with
# sanitizers, the Windows suite under Wine, then the fuzz targets for a bounded
# time (scripts/fuzz.sh). Ends with one summary line.
# The Windows suite is build/win32's under 32-bit Wine, or, where this machine
# cannot run 32-bit programs, build/win64's under 64-bit Wine.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh || exit 1
bash scripts/build.sh || { echo "0 passed, 1 failed"; exit 1; }

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1
passed=0; failed=0
run_suite() {  # label, build dir
  local log="build/$1-ctest.log"
  echo "== $1 tests =="
  ctest --test-dir "$2" --output-on-failure -j "$(nproc)" 2>&1 | tee "$log"
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  if [ -z "$line" ]; then
    if grep -q 'No tests were found' "$log"; then return; fi
    failed=$((failed + 1)); return
  fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + t - f)); failed=$((failed + f))
}
run_suite native build/native
# The Release build users make for `cmake --install`: the product's code at
# -O3 with warnings as errors, counted as one test.
echo "== release build =="
if cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >build/release-configure.log 2>&1 &&
   cmake --build build/release -j "$(nproc)" --target twk bw_stub bw_uninstaller >build/release-build.log 2>&1; then
  echo "release build: passed"; passed=$((passed + 1))
else
  tail -n 40 build/release-build.log; echo "release build: FAILED"; failed=$((failed + 1))
fi
source scripts/wine-env.sh || { echo "$passed passed, $((failed + 1)) failed"; exit 1; }
case "$bw_wine_arch" in
  i686) win_label=win32 ;;
  *) win_label=win64 ;;
esac
echo "Windows suite: build/$win_label ($bw_wine_arch) under $WINEARCH Wine, prefix $WINEPREFIX"
bw_start_display
# Start the Wine server and the prefix's system processes detached from any
# pipe: started by the first test they would inherit ctest's output pipe and
# keep it open, so ctest would wait for them forever.
"$bw_wineserver" -p 60 </dev/null >/dev/null 2>&1 || true
"$bw_wine" wineboot </dev/null >/dev/null 2>&1 || true
run_suite "$win_label" "build/$win_label"
# One project, one package on both hosts (counted as one test).
if bash scripts/cross-host-check.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
# Each fuzz target counts as one test (scripts/fuzz.sh writes "PASSED FAILED").
echo "== fuzz targets =="
bash scripts/fuzz.sh
read -r fuzz_passed fuzz_failed <build/fuzz/results || { fuzz_passed=0; fuzz_failed=1; }
passed=$((passed + fuzz_passed)); failed=$((failed + fuzz_failed))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
