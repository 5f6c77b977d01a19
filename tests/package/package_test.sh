#!/usr/bin/env bash
# Builds the .deb with CPack and checks it: declared dependencies, installed files, and that
# the programs it carries run from an unpacked copy, and Debian's own checkers find no fault.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/../support/scratch.sh"

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 || fail "cpack: $(cat "$work/log")"
deb=$(ls "$work"/orbskin_*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libstdc++6 qt6-qpa-plugins qt6-image-formats-plugins; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

contents=$(dpkg-deb -c "$deb")
for file in bin/orbskin bin/orbskin-cli libexec/orbskin/orbskin-cli-images share/applications/orbskin.desktop \
            share/icons/hicolor/48x48/apps/orbskin.png share/man/man1/orbskin{,-cli}.1.gz \
            share/doc/orbskin/{copyright,changelog.gz}; do
    grep -q " ./usr/$file\$" <<<"$contents" || fail "the package lacks /usr/$file"
done

dpkg-deb -x "$deb" "$work/root" && cd "$work/root/usr"
bin/orbskin-cli --version | grep -q '^orbskin-cli ' || fail "orbskin-cli does not run"
file share/icons/hicolor/48x48/apps/orbskin.png | grep -q '48 x 48, 8-bit/color RGB,' ||
    fail "the icon is not a 48 x 48 24-bit picture"
grep -q '^Exec=orbskin %f$' share/applications/orbskin.desktop &&
    desktop-file-validate share/applications/orbskin.desktop || fail "desktop file"
# What Debian's own checker says, errors and warnings alike; its notes (I:) are left to read.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
! grep -E '^[EW]: ' "$work/lintian.txt" || fail "lintian has errors or warnings"
echo "package $(basename "$deb") is complete and lintian-clean"
