#!/usr/bin/env bash
# Builds the .deb with CPack and checks it: declared dependencies, installed files, and that
# the programs it carries run from an unpacked copy, and Debian's own checkers find no fault.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$(ls "$work"/orbskin_*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libstdc++6 qt6-qpa-plugins qt6-image-formats-plugins; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/orbskin ./usr/bin/orbskin-cli ./usr/libexec/orbskin/orbskin-cli-images \
            ./usr/share/applications/orbskin.desktop \
            ./usr/share/icons/hicolor/48x48/apps/orbskin.png ./usr/share/man/man1/orbskin-cli.1.gz \
            ./usr/share/man/man1/orbskin.1.gz ./usr/share/doc/orbskin/copyright \
            ./usr/share/doc/orbskin/changelog.gz; do
    grep -q " $file\$" <<<"$contents" || fail "the package lacks $file"
done

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/orbskin-cli" --version | grep -q '^orbskin-cli ' || fail "orbskin-cli does not run"
file "$work/root/usr/share/icons/hicolor/48x48/apps/orbskin.png" | grep -q '48 x 48, 8-bit/color RGB,' ||
    fail "the icon is not a 48 x 48 24-bit picture"
grep -q '^Exec=orbskin %f$' "$work/root/usr/share/applications/orbskin.desktop" || fail "desktop file"
desktop-file-validate "$work/root/usr/share/applications/orbskin.desktop" || fail "desktop file"
# What Debian's own checker says, errors and warnings alike; its notes (I:) are left to read.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
! grep -E '^[EW]: ' "$work/lintian.txt" || fail "lintian has errors or warnings"
echo "package $(basename "$deb") is complete and lintian-clean"
