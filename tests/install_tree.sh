#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs
# from there: they must find their data and answer without a display.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/quillet bin/quillet-convert share/applications/quillet.desktop \
         share/icons/hicolor/scalable/apps/quillet.svg share/icons/hicolor/48x48/apps/quillet.png \
         share/man/man1/quillet.1 share/man/man1/quillet-convert.1 share/quillet/QuickTips.op; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
grep -q '^MimeType=.*text/rtf' "$prefix/share/applications/quillet.desktop" || fail "desktop file lacks text/rtf"
grep -q '@PROJECT_VERSION@' "$prefix/share/man/man1/quillet.1" && fail "man page version not filled in"

# No display at all for the answers that need none.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$prefix/bin/quillet" --version | grep -Eq '^Quillet [0-9]+\.[0-9]+\.[0-9]+$' || fail "quillet --version"
"$prefix/bin/quillet-convert" --version | grep -Eq '^quillet-convert [0-9]+\.[0-9]+\.[0-9]+$' || fail "quillet-convert --version"
"$prefix/bin/quillet-convert" --help | grep -q 'Usage: quillet-convert' || fail "quillet-convert --help"

export HOME="$prefix/home" XDG_CONFIG_HOME="$prefix/home/.config" XDG_DATA_HOME="$prefix/home/.local/share"
export XDG_RUNTIME_DIR="$prefix/runtime"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
paths=$("$prefix/bin/quillet" --paths)
grep -qx "tips: $prefix/share/quillet/QuickTips.op" <<<"$paths" || { echo "$paths" >&2; fail "installed quillet does not find its tips"; }
# An installed program keeps its own files in the user's folders, never in bin/.
grep -qx "error log: $XDG_DATA_HOME/Tallowmere/Quillet/Error.log" <<<"$paths" || { echo "$paths" >&2; fail "error log beside an installed program"; }
grep -qx "settings: $XDG_CONFIG_HOME/Quillet/HKEY_LOCAL_MACHINE.ini" <<<"$paths" || { echo "$paths" >&2; fail "settings outside the user's config folder"; }

# The installed converter converts, and says why in one line when it cannot.
printf '{\\rtf1\\ansi {\\b Hello} world\\par}' > "$prefix/in.rtf"
"$prefix/bin/quillet-convert" "$prefix/in.rtf" "$prefix/out.txt"
grep -q 'Hello world' "$prefix/out.txt" || fail "converted text"
mkdir "$prefix/folder.txt"
if err=$("$prefix/bin/quillet-convert" "$prefix/in.rtf" "$prefix/folder.txt" 2>&1); then
  fail "writing over a folder succeeded"
fi
[ "$(printf '%s\n' "$err" | grep -c '^quillet-convert: ')" -eq 1 ] || fail "reason is not one line: $err"
if "$prefix/bin/quillet-convert" "$prefix/missing.rtf" "$prefix/x.txt" 2>/dev/null; then
  fail "a missing input succeeded"
fi

# The installed editor starts (offscreen), shows its window and ends, with the
# tip of the day switched off so no modal window waits for a click.
mkdir -p "$XDG_CONFIG_HOME/Quillet"
printf '[Software]\nTallowmere\\Quillet\\Show%%20Tips%%20at%%20Startup=0\n' > "$XDG_CONFIG_HOME/Quillet/HKEY_LOCAL_MACHINE.ini"
QT_QPA_PLATFORM=offscreen timeout 60 "$prefix/bin/quillet" --screenshot "$prefix/shot.png" \
  || fail "installed quillet did not start and end"
[ -s "$prefix/shot.png" ] || fail "no window picture"
echo "install tree: all checks passed"
