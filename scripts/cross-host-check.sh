#!/usr/bin/env bash
# The same project gives the same package on both hosts: the demo project
# built by the native twk and by twk.exe under Wine, with one installation
# folder, must be byte-identical. Prints one line; exit 1 when they differ.
# The copied tree holds a name beyond ASCII, made as a checkout makes it
# (UTF-8 on this host), and the project lists it in Windows-1252 bytes, as
# Windows writes it: both hosts must find the file and pack it under that name.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
source scripts/wine-env.sh || exit 1
bw_start_display || exit 1
if [ "$bw_wine_arch" = i686 ]; then inst="$here/build/dist"; else inst="$here/build/dist64"; fi
work="$here/build/cross-host"
rm -rf "$work" && mkdir -p "$work/out"
bw_demo_product "$work/Widget" "$inst" || exit 1
printf 'MZ the program' >"$work/Widget/bin/widget.exe"
printf 'Notas del traductor\r\n' >"$work/Widget/docs/Café.txt"
LC_ALL=C perl -0777 -pe 's/(C:\\Demo\\Widget\\docs\\manual\.txt\r\r\n)/$1C:\\Demo\\Widget\\docs\\Caf\xe9.txt\r\r\n/' \
  demo/demo.wzp >"$work/demo.wzp"
cmp -s demo/demo.wzp "$work/demo.wzp" && { echo "cross-host package: FAILED (the project did not take the name)"; exit 1; }
TWKINSTDIR="$inst" build/native/cli/twk build "$work/demo.wzp" --source "$work/Widget" --output "$work/out/native.exe" -q ||
  { echo "cross-host package: FAILED (native twk build)"; exit 1; }
TWKINSTDIR="Z:${inst//\//\\}" \
  "$bw_wine" "$inst/bin/twk.exe" build "Z:${work//\//\\}\\demo.wzp" --source "Z:${work//\//\\}\\Widget" \
  --output "Z:${work//\//\\}\\out\\wine.exe" -q </dev/null ||
  { echo "cross-host package: FAILED (twk.exe build under Wine)"; exit 1; }
if ! LC_ALL=C grep -qa $'docs\\\\Caf\xe9.txt' "$work/out/native.exe"; then
  echo "cross-host package: FAILED (docs\\Café.txt is not in the package)"; exit 1
fi
if cmp -s "$work/out/native.exe" "$work/out/wine.exe"; then
  echo "cross-host package: identical ($(stat -c %s "$work/out/native.exe") bytes, native twk and twk.exe under Wine, with docs\\Café.txt)"
else
  echo "cross-host package: FAILED (the two packages differ)"; exit 1
fi
