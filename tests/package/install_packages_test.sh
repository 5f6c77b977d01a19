#!/usr/bin/env bash
# install_packages from scripts/common.sh against a stand-in apt-get, dpkg-query and id on PATH:
# a failed update of the package lists is only reported, and installing goes on; a failed install
# fails the caller, naming the packages still not installed.
# Usage: install_packages_test.sh COMMON_SH
set -euo pipefail
common=$(realpath "$1")
source "$(dirname "$0")/../support/scratch.sh"

mkdir "$work/bin"
# dpkg-query -W -f=... PACKAGE: installed when listed in $work/installed.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/bin/sh
for last; do :; done
grep -qx -- "$last" "$STUB_STATE/installed" || exit 1
echo "install ok installed"
STUB
# apt-get update fails when $STUB_STATE/update_fails exists; apt-get install installs what it
# knows and fails for those listed in $STUB_STATE/unavailable. Every call goes to $STUB_STATE/calls.
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/sh
echo "$*" >>"$STUB_STATE/calls"
if [ "$1" = update ]; then
    [ -e "$STUB_STATE/update_fails" ] || exit 0
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
    exit 100
fi
[ "$1" = install ] || exit 64
rc=0
for package; do
    case $package in -*|install) continue ;; esac
    grep -qx -- "$package" "$STUB_STATE/unavailable" || { echo "$package" >>"$STUB_STATE/installed"; continue; }
    echo "E: Unable to locate package $package" >&2 && rc=100
done
exit $rc
STUB
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
chmod +x "$work/bin"/*

# run CASE [--if] PACKAGE...: install_packages PACKAGE... in a shell set up as our scripts are,
# with a fresh state in $work/CASE (files written there beforehand are kept); prints its status.
# With --if it is called as the condition of an if, where set -e does not stop the function.
run() {
    local state=$work/$1 how=plain
    shift
    [ "$1" = --if ] && { how=if; shift; }
    mkdir -p "$state"
    touch "$state/installed" "$state/unavailable" "$state/calls"
    local rc=0
    STUB_STATE=$state PATH="$work/bin:$PATH" bash -c '
        source "$1"; shift
        [ "$0" != if ] || { install_packages "$@" && exit 0 || exit 3; }
        install_packages "$@"
        echo "went on"
    ' "$how" "$common" "$@" >"$state/out" 2>"$state/err" || rc=$?
    echo "$rc"
}

# The update fails, every package is in the lists: installed, status 0, one line said about it.
mkdir -p "$work/mirror" && touch "$work/mirror/update_fails" && echo present >"$work/mirror/installed"
rc=$(run mirror present zlib1g-dev cmake)
[ "$rc" = 0 ] || fail "a failed update stopped the install (status $rc): $(cat "$work/mirror/err")"
grep -qx "install -y -q --no-install-recommends zlib1g-dev cmake" "$work/mirror/calls" ||
    fail "apt-get was not asked for just the missing packages: $(cat "$work/mirror/calls")"
[ "$(sort "$work/mirror/installed")" = $'cmake\npresent\nzlib1g-dev' ] || fail "the packages were not installed"
[ "$(grep -vc "^E: " "$work/mirror/err")" = 1 ] && grep -v "^E: " "$work/mirror/err" | grep -q update ||
    fail "not one line on the failed update, but: $(cat "$work/mirror/err")"
grep -qx "went on" "$work/mirror/out" || fail "the caller did not go on"

# The update fails and one package cannot be installed: status non-zero, the caller stops under
# set -e, and the message names that package and not those that were installed.
mkdir -p "$work/missing" && touch "$work/missing/update_fails" && echo wine32:i386 >"$work/missing/unavailable"
rc=$(run missing cmake wine32:i386 unzip)
[ "$rc" != 0 ] || fail "a failed install returned 0"
! grep -q "went on" "$work/missing/out" || fail "the caller went on after a failed install"
said=$(grep -v "^E: " "$work/missing/err" | tail -n 1)
grep -q "wine32:i386" <<<"$said" || fail "the missing package is not named: $said"
! grep -qw "cmake\|unzip" <<<"$said" || fail "installed packages named as missing: $said"

# The same, tested with if, as scripts/windows does for wine32:i386: the function itself fails.
mkdir -p "$work/iffed" && echo wine32:i386 >"$work/iffed/unavailable"
rc=$(run iffed --if wine32:i386)
[ "$rc" = 3 ] || fail "under if, a failed install did not return non-zero (status $rc)"

# The update works: nothing said about it. All installed already: apt-get not run at all.
rc=$(run fine cmake)
[ "$rc" = 0 ] && ! grep -q "update" "$work/fine/err" || fail "a good update was reported: $(cat "$work/fine/err")"
rc=$(run fine cmake)
[ "$rc" = 0 ] && [ "$(wc -l <"$work/fine/calls")" = 2 ] ||
    fail "apt-get ran for packages already installed: $(cat "$work/fine/calls")"
echo "install_packages: goes on past a failed update, fails naming what is missing"
