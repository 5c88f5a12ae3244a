#!/bin/bash
# Takes the README's picture of the find dialog in replace mode over a
# document, in a real X11 window: Quillet runs under xvfb-run and is driven
# with xdotool as a user would (Ctrl+F, type, Enter, Alt+R, Alt+W, type).
#   tools/screenshot-find.sh [BUILD_DIR] [OUTPUT_PNG]
# Needs the packages xvfb, xdotool and imagemagick. Settings and logs go to a
# temporary folder, never the user's own.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$here/build}")
out=$(realpath "${2:-$here/data/find-replace.png}")
for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshot-find: $tool is missing" >&2; exit 1; }
done
[ -x "$build/quillet" ] || { echo "screenshot-find: no $build/quillet; build first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/docs"
cat > "$work/docs/crossing.rtf" <<'RTF'
{\rtf1\ansi\deff0{\fonttbl{\f0 Verdana;}{\f1 Georgia;}}{\colortbl;\red31\green73\blue125;}
\pard\f1\fs32\cf1\b Island crossing\b0\cf0\par
\pard\f0\fs20\par
The ferry leaves at seven from the north quay. Bring warm clothes: even in summer the wind on the open water is cold, and the crossing takes a little over two hours.\par
\par
From the deck you can see the lighthouse and, on a clear day, the islands beyond the point.\par
\par
Tickets are sold on board; keep the stub, since it is checked again when you land.\par
\par
\pard\li360\fi-360{\b Tides.} High water is at 06:40 and 19:05 this week; the harbour bar is best crossed an hour either side.\par
\pard\par
{\i Remember:} the harbour office closes at noon on Saturdays, so pick up the mooring permit on Friday.\par
}
RTF

cat > "$work/drive.sh" <<'DRIVE'
#!/bin/bash
set -eu
cd "$WORK/docs"
"$BUILD/quillet" "$WORK/docs/crossing.rtf" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
waitfor() {
    for _ in $(seq 100); do
        if xdotool search --name "$1" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}
# The first run shows the tip of the day: switch it off and close it.
if waitfor "QuickTip"; then
    sleep 1; xdotool key alt+s; sleep 0.2; xdotool key Return
fi
waitfor "^Quillet$"
sleep 1.5
xdotool mousemove 500 450 click 1
sleep 0.5
xdotool key ctrl+f
waitfor "^Find$"
sleep 0.5
xdotool type --delay 30 "harbour"
xdotool key Return
sleep 0.4
xdotool key alt+r
sleep 0.3
xdotool key alt+w
xdotool type --delay 30 "port"
sleep 0.8
import -window root "$OUT"
DRIVE
chmod +x "$work/drive.sh"

WORK=$work BUILD=$build OUT=$out XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
    xvfb-run -a -s "-screen 0 1000x700x24" "$work/drive.sh"
echo "screenshot-find: wrote $out"
