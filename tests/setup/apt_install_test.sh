#!/usr/bin/env bash
# The set-up's install step against a stand-in apt-get first on PATH: a broken
# index and an unresolvable first install must lead to the base-suite retry;
# a mirror that always refuses must end with one clear message and exit 1.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
codename=$( . /etc/os-release && echo "$VERSION_CODENAME")
passed=0; failed=0
check() {  # description, condition...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}

# The stand-in logs each call and behaves as $MODE says:
#   broken-index: update fails as a mirror in sync does; plain install is
#                 unresolvable, install with -t succeeds
#   refuse:       update fails; every install is unresolvable
#   healthy:      everything succeeds
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'STAND_IN'
#!/usr/bin/env bash
echo "$*" >>"$APT_LOG"
case "$1" in
  update)
    [ "$MODE" = healthy ] && exit 0
    echo "E: Failed to fetch .../debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
  install)
    [ "$MODE" = healthy ] && exit 0
    if [ "$MODE" = broken-index ] && [[ " $* " == *" -t "* ]]; then exit 0; fi
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
exit 0
STAND_IN
chmod +x "$work/bin/apt-get"

run() {  # mode
  export MODE=$1 APT_LOG="$work/$1.log"
  : >"$APT_LOG"
  PATH="$work/bin:$PATH" BW_APT_TRIES=3 BW_APT_PAUSE=0 \
    bash "$here/scripts/apt-install.sh" wine wine32:i386 >"$work/$1.out" 2>"$work/$1.err"
}

run broken-index; rc=$?
check "broken index: install succeeds through the fallback" [ "$rc" -eq 0 ]
check "broken index: update tried three times" [ "$(grep -c '^update' "$work/broken-index.log")" -eq 3 ]
check "broken index: the failed update is a warning" grep -q 'warning: some package indexes could not be fetched' "$work/broken-index.out"
check "broken index: plain install first" \
  grep -qx 'install -y -q --no-install-recommends wine wine32:i386' <(grep '^install' "$work/broken-index.log" | head -n1)
check "broken index: then the base suite as target release" \
  grep -qx "install -y -q --no-install-recommends -t $codename wine wine32:i386" <(grep '^install' "$work/broken-index.log" | sed -n 2p)
check "broken index: two installs only" [ "$(grep -c '^install' "$work/broken-index.log")" -eq 2 ]

run refuse; rc=$?
check "refusing mirror: non-zero exit" [ "$rc" -ne 0 ]
check "refusing mirror: names the packages" grep -q 'could not install: wine wine32:i386' "$work/refuse.err"
check "refusing mirror: says how to retry" grep -q 'retry later with: bash scripts/setup.sh' "$work/refuse.err"

run healthy; rc=$?
check "healthy mirror: installs" [ "$rc" -eq 0 ]
check "healthy mirror: one update, one install" \
  [ "$(grep -c '^update' "$work/healthy.log")-$(grep -c '^install' "$work/healthy.log")" = 1-1 ]
check "healthy mirror: no fallback" bash -c "! grep -q -- ' -t ' '$work/healthy.log'"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
