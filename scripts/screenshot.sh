#!/usr/bin/env bash
# Takes the README's screenshot: Halvo.exe's dialog under Wine on a virtual
# X display, cropped to the dialog window.
#
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT]   (defaults: build/mingw or build/mingw64, docs/screenshot.png)
#   HALVO_SHOT_DPI=144 scripts/screenshot.sh ... the screen at 144 DPI (150 %) instead of 96
#
# BUILD_DIR is a build tree of the mingw or mingw64 preset (by default the one
# this machine runs at full speed); Halvo.exe is (re)built there first. It runs in a Wine prefix of its own, BUILD_DIR/wineprefix-screenshot
# (set up by scripts/wine-run with the Japanese font links), inside a Wine
# virtual desktop, so that Wine draws the window frame and caption as Windows
# would; no window manager is needed. Another DPI gets a prefix of its own
# (LogPixels set in it) and a screen and desktop scaled by as much.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/i386.sh"
preset=$(windows_preset)
build=$(realpath -m "${1:-$root/build/$preset}")
output=$(realpath -m "${2:-$root/docs/screenshot.png}")
title='Mesk (JPN)'
dpi=${HALVO_SHOT_DPI:-96}
[[ $dpi =~ ^[1-9][0-9]*$ ]] || { echo "screenshot: HALVO_SHOT_DPI must be a number of dots per inch" >&2; exit 2; }
screen=$((1024 * dpi / 96))x$((768 * dpi / 96))

# A display of our own, so the picture does not depend on the desktop.
if [ -z "${HALVO_SHOT_UNDER_XVFB:-}" ]; then
  HALVO_SHOT_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 ${screen}x24" "$0" "$build" "$output"
fi

[ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset "$preset" -B "$build" >/dev/null)
cmake --build "$build" -j2 --target Halvo >/dev/null
exe=${HALVO_EXE:-$build/app/Halvo.exe}
[ -f "$exe" ] || { echo "screenshot: no $exe" >&2; exit 1; }

export WINEPREFIX="$build/wineprefix-screenshot$([ "$dpi" = 96 ] || echo "-$dpi")"
"$root/scripts/wine-run" --init
if [ "$dpi" != 96 ]; then
  "$root/scripts/wine-run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi

work=$(mktemp -d)
winexe="Z:${exe//\//\\}"
"$root/scripts/wine-run" explorer /desktop=halvo,"$screen" "$winexe" >/dev/null 2>&1 &
pid=$!
cleanup() {
  kill "$pid" 2>/dev/null || true
  # The prefix is this script's alone, so its server can go.
  "$root/scripts/wine-run" --kill
  rm -rf "$work"
}
trap cleanup EXIT

# The first start in a fresh prefix creates it, which takes a while.
geometry=
for _ in $(seq 1200); do
  if info=$(xwininfo -name "$title" 2>/dev/null) && grep -q 'Map State: IsViewable' <<<"$info"; then
    geometry=$(awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
                    /Width:/ { w = $2 } /Height:/ { h = $2 } END { printf "%dx%d+%d+%d", w, h, x, y }' <<<"$info")
    break
  fi
  kill -0 "$pid" 2>/dev/null || { echo "screenshot: Halvo.exe ended without showing its dialog" >&2; exit 1; }
  sleep 0.1
done
[ -n "$geometry" ] || { echo "screenshot: no \"$title\" window appeared" >&2; exit 1; }

# Shown is not yet painted: take pictures until two in a row agree.
previous=
for i in $(seq 50); do
  import -window root -crop "$geometry" +repage "$work/$i.png"
  sum=$(convert "$work/$i.png" rgb:- | sha256sum)
  if [ "$sum" = "$previous" ]; then
    mkdir -p "$(dirname "$output")"
    # Strip time stamps so that an unchanged dialog gives an unchanged file.
    convert "$work/$i.png" -strip "$output"
    echo "screenshot: $output ($geometry)"
    exit 0
  fi
  previous=$sum
  sleep 0.2
done
echo "screenshot: the dialog kept changing" >&2
exit 1
