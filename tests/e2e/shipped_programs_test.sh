#!/usr/bin/env bash
# The shipped install.exe and UnBundlewright.exe, which run as administrator,
# under Wine as a user meets them: the demo package built by twk.exe is run
# with windows and driven from outside by key presses (xdotool), while
# BUNDLEWRIGHT_SCENARIO names a scenario that would cancel it and leave a
# screenshot (the shipped programs have no scenario mode: nothing happens).
# A link planted where the uninstaller once kept its failure list is not
# followed, and a destination that is a link is refused with nothing written.
#   shipped_programs_test.sh SOURCE_DIR DIST_DIR WORK_DIR ARCH
set -uo pipefail
src=$1 dist=$2 work=$3
export BW_WINE_ARCH=$4
source "$src/scripts/wine-env.sh" || exit 2
command -v xdotool >/dev/null || { echo "xdotool is not installed (scripts/setup.sh installs it)"; exit 1; }
bw_start_display || exit 2
"$bw_wineserver" -p 60 </dev/null >/dev/null 2>&1 || true

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }
win() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }

rm -rf "$work" && mkdir -p "$work/out" || exit 2
cd "$work" || exit 2
base_host="$WINEPREFIX/drive_c/BwShipped"
dest_host="$base_host/Widget"
rm -rf "$base_host"

bw_demo_product Widget "$dist" && cp "$dist/bin/twk.exe" Widget/bin/widget.exe
if ! "$bw_wine" "$dist/bin/twk.exe" build "$(win "$src/demo/demo.wzp")" --source "$(win Widget)" \
    --output "$(win out)\\setup.exe" -q </dev/null >build.log 2>&1; then
  cat build.log; echo "FAIL: twk build"; exit 1
fi

# What a scenario mode would do: take a picture and cancel.
printf 'on dialog IDD_WELCOME\nshot %s\nclick IDCANCEL\nanswer message yes\n' "$(win .)\\shot.bmp" >cancel.scn
printf 'answer message no\n' >keep.scn

# Presses KEYS in the visible window whose title holds NAME, as a user
# would; waits up to 20 s for the window to show.
press() {   # NAME KEYS...
  local name=$1 w=""; shift
  for _ in $(seq 1 100); do
    w=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | tail -1)
    [ -n "$w" ] && break
    sleep 0.2
  done
  [ -n "$w" ] || { echo "no window '$name' to press $*"; return 1; }
  sleep 0.5
  xdotool windowfocus --sync "$w" 2>/dev/null || true
  xdotool key --delay 100 "$@"
  sleep 0.7
}
gone() {   # NAME: no visible window of that name within 20 s
  for _ in $(seq 1 100); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.2
  done
  return 1
}

# --- install.exe through its windows ------------------------------------------------
BUNDLEWRIGHT_SCENARIO="$(win cancel.scn)" "$bw_wine" out/setup.exe </dev/null >setup.log 2>&1 &
setup=$!
press Widget Return &&                          # welcome: Next
  press Widget alt+a Return &&                  # licence: accept, Next
  press Widget ctrl+a && xdotool type --delay 30 'C:\BwShipped\Widget' && xdotool key Return   # folder: Install
# Then whatever it tells (a box) and the finish window: Return until it ends.
for _ in $(seq 1 10); do
  kill -0 $setup 2>/dev/null || break
  press Widget Return || break
done
wait $setup
code=$?
if [ $code -eq 0 ] && [ -f "$dest_host/Uninstall.wzu" ]; then pass "install.exe installed through its windows, pressed from outside"
else cat setup.log; fail "install.exe through its windows exits with $code"; fi
[ -e shot.bmp ] && fail "install.exe played BUNDLEWRIGHT_SCENARIO (it wrote shot.bmp)" ||
  pass "BUNDLEWRIGHT_SCENARIO changes nothing in install.exe"
# The readme it showed on Finish.
"$bw_wine" taskkill /F /IM notepad.exe </dev/null >/dev/null 2>&1 || true

# --- UnBundlewright through its windows -------------------------------------------
# A link at the name the failure list once had in the user's temp folder.
temp_host=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -name Temp | head -1)
echo "precious" >precious.txt
[ -n "$temp_host" ] && ln -sfn "$work/precious.txt" "$temp_host/temp.tmp"
mkdir -p "$dest_host/logs" && echo "the user's own" >"$dest_host/logs/mine.txt"   # one folder stays: Details has a line
BUNDLEWRIGHT_SCENARIO="$(win keep.scn)" "$bw_wine" 'C:\windows\UnBundlewright.exe' '-fC:\BwShipped\Widget\Uninstall.wzu' \
  </dev/null >uninstall.log 2>&1 &
uninstall=$!
press UnBundlewright Return &&                  # the question: Yes
  press Bundlewright Return                     # the main window: OK
wait $uninstall
[ ! -e "$dest_host/Uninstall.wzu" ] && [ ! -e "$dest_host/bin/widget.exe" ] &&
  pass "UnBundlewright removed the product through its windows, pressed from outside" ||
  { cat uninstall.log; fail "UnBundlewright left $(cd "$dest_host" 2>/dev/null && find . -type f | head -5)"; }
[ "$(cat precious.txt)" = "precious" ] && pass "the link at the old failure-list name was not followed" ||
  fail "UnBundlewright wrote through a link in the temp folder: $(head -c 60 precious.txt | tr '\0' ' ')"
[ -n "$temp_host" ] && rm -f "$temp_host/temp.tmp"

# --- a destination that is a link --------------------------------------------------
rm -rf "$base_host" elsewhere && mkdir -p "$base_host" elsewhere
ln -s "$work/elsewhere" "$base_host/Widget"
"$bw_wine" out/setup.exe /S '/D=C:\BwShipped\Widget' </dev/null >link.log 2>&1
code=$?
if [ $code -ne 0 ] && [ -z "$(ls -A elsewhere)" ] && grep -q "link" link.log; then
  pass "a destination that is a link is refused (exit $code): $(head -1 link.log)"
else fail "a destination that is a link: exit $code, $(ls -A elsewhere | head -3), $(head -2 link.log)"; fi

rm -rf "$base_host"
echo "$failures failure(s)"
[ $failures -eq 0 ]
