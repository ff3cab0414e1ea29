#!/usr/bin/env bash
# Installs Debian packages so that a mirror in the middle of a sync does not
# stop a fresh machine:
#   - `apt-get update` is tried a few times; indexes that still fail to
#     download are a warning (apt keeps using the others);
#   - the install is tried as it is, then once more with the base suite as
#     target release, so that multi-arch libraries come from one suite on both
#     architectures even when one suite's i386 index is missing.
# The machine's apt configuration is never changed.
#   scripts/apt-install.sh PACKAGE...
# Environment: BW_APT_TRIES (update tries, default 3), BW_APT_PAUSE (seconds
# between tries, default 5).
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: apt-install.sh PACKAGE..." >&2; exit 2; }
tries=${BW_APT_TRIES:-3}
pause=${BW_APT_PAUSE:-5}
export DEBIAN_FRONTEND=noninteractive

update_log=$(mktemp)
install_log=$(mktemp)
trap 'rm -f "$update_log" "$install_log"' EXIT

# `apt-get update` exits 100 when an index failed, but also prints "E: Failed
# to fetch" / "W: Some index files failed" with exit 0 on some versions: judge
# by both.
updated=0
for ((i = 1; i <= tries; i++)); do
  if apt-get update -q >"$update_log" 2>&1 && ! grep -qE '^(E|W): (Failed to fetch|Some index files failed)' "$update_log"; then
    updated=1; break
  fi
  [ "$i" -lt "$tries" ] && { echo "setup: apt-get update reported errors (try $i of $tries); again in ${pause}s"; sleep "$pause"; }
done
if [ "$updated" -eq 0 ]; then
  echo "setup: warning: some package indexes could not be fetched; going on with the others:"
  grep -E '^(E|W):' "$update_log" | sed 's/^/setup:   /' | head -n 6
fi

install() {  # extra apt-get options...
  apt-get install -y -q --no-install-recommends "$@" "${packages[@]}" >"$install_log" 2>&1
}
packages=("$@")
if install; then exit 0; fi
echo "setup: apt-get could not install the packages as they are:"
grep -E '^E:' "$install_log" | sed 's/^/setup:   /' | head -n 4

codename=$( . /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
if [ -n "$codename" ]; then
  echo "setup: trying again with the base suite '$codename' as target release"
  if install -t "$codename"; then exit 0; fi
  grep -E '^E:' "$install_log" | sed 's/^/setup:   /' | head -n 4
fi
echo "setup: could not install: ${packages[*]}" >&2
echo "setup: the package mirror may be in the middle of a sync; retry later with: bash scripts/setup.sh" >&2
exit 1
