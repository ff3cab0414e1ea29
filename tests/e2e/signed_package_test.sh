#!/usr/bin/env bash
# A package signed as a publisher signs it, under Wine: a throw-away
# code-signing certificate made with openssl, the demo package built by
# twk.exe and signed by osslsigncode. The signature verifies, twk inspect
# reports it, install.exe installs the signed package silently into the very
# tree the unsigned one gives and UnBundlewright removes it; a changed byte
# breaks the signature and is refused; bytes after the certificate table, a
# table that does not end the file and a security directory pointing outside
# it are refused by install.exe and twk inspect alike, and so is a byte changed
# inside the stored uninstaller, which only the signed digest vouches for.
#   signed_package_test.sh SOURCE_DIR DIST_DIR WORK_DIR ARCH
set -uo pipefail
src=$1 dist=$2 work=$3
export BW_WINE_ARCH=$4
source "$src/scripts/wine-env.sh" || exit 2
command -v osslsigncode >/dev/null || { echo "osslsigncode is not installed (scripts/setup.sh installs it)"; exit 1; }
bw_start_display || exit 2
"$bw_wineserver" -p 60 </dev/null >/dev/null 2>&1 || true

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }
win() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }
wine_run() { "$bw_wine" "$@" </dev/null; }

rm -rf "$work" && mkdir -p "$work/out" || exit 2
cd "$work" || exit 2
dest_host="$WINEPREFIX/drive_c/BwSignedTest/Widget"
rm -rf "$WINEPREFIX/drive_c/BwSignedTest"

# --- the package, unsigned and signed -----------------------------------------
bw_demo_product Widget "$dist" && cp "$dist/bin/twk.exe" Widget/bin/widget.exe
if ! wine_run "$dist/bin/twk.exe" build "$(win "$src/demo/demo.wzp")" --source "$(win Widget)" \
    --output "$(win out)\\setup.exe" -q >build.log 2>&1; then
  cat build.log; echo "FAIL: twk build"; exit 1
fi
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Bw Test Publisher/O=Bw Test Widgets/C=GB" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" >openssl.log 2>&1 ||
  { cat openssl.log; echo "FAIL: openssl"; exit 1; }
if ! osslsigncode sign -certs cert.pem -key key.pem -n "Widget 1.0" -i "https://example.com/widget" -h sha256 \
    -in out/setup.exe -out out/signed.exe >sign.log 2>&1; then
  cat sign.log; echo "FAIL: osslsigncode sign"; exit 1
fi
# The other usual way: the key and certificate in one PKCS #12 file, SHA-1.
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout pass:bw >/dev/null 2>&1 &&
  osslsigncode sign -pkcs12 cert.pfx -pass bw -n "Widget 1.0" -h sha1 -in out/setup.exe -out out/signed-sha1.exe \
    >>sign.log 2>&1 || fail "osslsigncode sign -pkcs12"
# A second signature nested in the first (the table grows, still ending the file).
osslsigncode sign -certs cert.pem -key key.pem -h sha256 -nest -in out/signed-sha1.exe -out out/signed-twice.exe \
  >>sign.log 2>&1 || fail "osslsigncode sign -nest"

if osslsigncode verify -CAfile cert.pem -in out/signed.exe >verify.log 2>&1; then pass "osslsigncode verify accepts the signed package"
else cat verify.log; fail "osslsigncode verify refuses the signed package"; fi

# --- twk inspect ----------------------------------------------------------------
inspect() { wine_run "$dist/bin/twk.exe" inspect "$(win "$1")" >inspect.out 2>inspect.err; }
if inspect out/signed.exe; then
  grep -q '^signature: certificate table of [0-9]* bytes' inspect.out &&
    grep -q '^signer: CN=Bw Test Publisher, O=Bw Test Widgets, C=GB' inspect.out &&
    grep -q '^signed digest: sha256, matches: the signature covers the whole package' inspect.out &&
    pass "twk inspect reports the signature" || { cat inspect.out; fail "twk inspect's report"; }
else cat inspect.err; fail "twk inspect refuses the signed package"; fi
if inspect out/signed-sha1.exe && grep -q '^signed digest: sha1, not checked' inspect.out; then
  pass "twk inspect accepts a SHA-1 signature"
else cat inspect.out inspect.err; fail "twk inspect on the SHA-1 signature"; fi
inspect out/setup.exe && grep -q '^signature: none' inspect.out || fail "twk inspect on the unsigned package"

# --- installed silently, removed by UnBundlewright: the same tree either way ----
install_and_remove() {   # PACKAGE TREE-COPY
  rm -rf "$WINEPREFIX/drive_c/BwSignedTest"
  wine_run "$1" /S '/D=C:\BwSignedTest\Widget'
  local code=$?
  [ $code -eq 0 ] || { fail "$(basename "$1") /S exits with $code"; return; }
  [ -d "$dest_host" ] || { fail "$(basename "$1") installed nothing"; return; }
  cp -r "$dest_host" "$2"
  wine_run 'C:\windows\UnBundlewright.exe' /S '-fC:\BwSignedTest\Widget\Uninstall.wzu' >/dev/null 2>&1
  if [ -e "$dest_host" ]; then fail "UnBundlewright left $(cd "$dest_host" && find . | head -5)"
  else pass "$(basename "$1") installed $(find "$2" -type f | wc -l) files, UnBundlewright removed them"; fi
}
install_and_remove out/setup.exe tree-unsigned
install_and_remove out/signed.exe tree-signed
install_and_remove out/signed-sha1.exe tree-signed-sha1
install_and_remove out/signed-twice.exe tree-signed-twice
for t in tree-signed tree-signed-sha1 tree-signed-twice; do
  if [ -d tree-unsigned ] && [ -d $t ] && diff -r tree-unsigned $t >/dev/null; then pass "$t is byte for byte the unsigned install"
  else fail "$t differs from the unsigned install"; fi
done

# --- refused ----------------------------------------------------------------------
le32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put32() {   # FILE OFFSET VALUE
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($3 & 255)) $(($3 >> 8 & 255)) $(($3 >> 16 & 255)) $(($3 >> 24 & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
pe=$(le32 out/signed.exe 60)
magic=$(od -An -tu2 -j $((pe + 24)) -N2 out/signed.exe | tr -d ' ')
entry=$((pe + 24 + (magic == 523 ? 112 : 96) + 32))
table=$(le32 out/signed.exe $entry)
size=$(le32 out/signed.exe $((entry + 4)))
[ $((table + size)) -eq "$(stat -c %s out/signed.exe)" ] || fail "the table named by the header does not end the signed file"

refused() {   # FILE WHAT PHRASE-OF-TWK [written-ok]
  rm -rf "$WINEPREFIX/drive_c/BwSignedTest"
  wine_run "$1" /S '/D=C:\BwSignedTest\Widget'
  local code=$?
  if [ $code -ne 0 ] && [ ! -e "$dest_host" ]; then pass "install.exe refuses $2 (exit $code), nothing written"
  elif [ $code -ne 0 ] && [ -n "${4:-}" ]; then
    echo "note: install.exe refuses $2 (exit $code) after writing $(cd "$dest_host" && find . -type f | wc -l) files"
  elif [ $code -ne 0 ]; then fail "install.exe refuses $2 (exit $code) but wrote $(cd "$dest_host" && find . -type f | head -3)"
  else fail "install.exe installs $2"; fi
  if inspect "$1"; then fail "twk inspect accepts $2"
  elif grep -q "$3" inspect.err; then pass "twk inspect refuses $2: $(cat inspect.err)"
  else fail "twk inspect on $2 says: $(cat inspect.err)"; fi
}
cp out/signed.exe appended.exe && printf 'appended' >>appended.exe
refused appended.exe "bytes appended after the certificate table" "bytes follow its certificate table"
cp out/signed.exe short-table.exe && put32 short-table.exe $((entry + 4)) $((size - 8))
refused short-table.exe "a certificate table that does not end the file" "bytes follow its certificate table"
cp out/signed.exe outside.exe && put32 outside.exe $entry $((table + 4096))
refused outside.exe "a security directory pointing outside the file" "points outside the file"

# One byte changed: inside a compressed file's data, and inside the stored
# uninstaller, whose bytes nothing but the signature vouches for.
flip() {   # FILE OFFSET
  local old
  old=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $(((old + 1) & 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
entry_at() {   # NAME: the offset of that entry's data in the payload
  local at rest size
  at=$(LC_ALL=C grep -abo -F "$1"$'\r' out/signed.exe | awk -F: '$1 > 541200 { print $1; exit }')
  [ -n "$at" ] || return 0
  rest=$(dd if=out/signed.exe bs=1 skip=$((at + ${#1} + 2)) count=24 status=none | tr -d '\000' | tr '\r\n' '  ')
  size=${rest%% *}
  echo $((at + ${#1} + 2 + ${#size} + 2))
}
readme=$(entry_at '\readme.txt.bz2')
uninstaller=$(entry_at '\UnBundlewright.exe')
if [ -n "$readme" ] && [ -n "$uninstaller" ]; then
  cp out/signed.exe changed.exe && flip changed.exe $((readme + 40))
  cp out/signed.exe changed-stored.exe && flip changed-stored.exe $((uninstaller + 1000))
  for f in changed.exe changed-stored.exe; do
    if osslsigncode verify -CAfile cert.pem -in $f >verify.log 2>&1; then fail "osslsigncode verify accepts $f"
    else pass "osslsigncode verify refuses $f"; fi
  done
  # The signed digest is checked before anything is written: nothing is.
  refused changed.exe "a changed compressed file" "does not decode"
  refused changed-stored.exe "a changed stored file" "changed after it was signed"
  wine_run changed-stored.exe /S '/D=C:\BwSignedTest\Widget' >changed.out 2>&1
  grep -q "changed after it was signed" changed.out &&
    pass "install.exe says the package was changed after it was signed" || fail "install.exe's message on a changed stored file"
else
  fail "no readme.txt or uninstaller entry in the package to change"
fi

rm -rf "$WINEPREFIX/drive_c/BwSignedTest"
echo "$failures failure(s)"
[ $failures -eq 0 ]
