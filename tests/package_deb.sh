#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what it would
# install and what it asks of the system.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/quillet_*.deb) || fail "no package built"
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/quillet ./usr/bin/quillet-convert ./usr/share/applications/quillet.desktop \
         ./usr/share/quillet/QuickTips.op ./usr/share/man/man1/quillet.1 \
         ./usr/share/icons/hicolor/scalable/apps/quillet.svg; do
  grep -qx -- "$f" <<<"$files" || fail "package lacks $f"
done
control=$(dpkg-deb -f "$deb")
grep -q '^Package: quillet$' <<<"$control" || fail "package name"
grep -q '^Depends: .*libqt6widgets6' <<<"$control" || fail "Qt is not among the dependencies"
grep -q '^Depends: .*qt6-base-abi (= ' <<<"$control" || fail "the Qt release built against is not a dependency"
# The programs inside run: unpack and ask them their version, no display.
dpkg-deb -x "$deb" "$out/root"
"$out/root/usr/bin/quillet-convert" --version | grep -q '^quillet-convert ' || fail "packaged converter"
env -u DISPLAY -u WAYLAND_DISPLAY "$out/root/usr/bin/quillet" --version | grep -q '^Quillet ' || fail "packaged quillet"
echo "package: all checks passed"
