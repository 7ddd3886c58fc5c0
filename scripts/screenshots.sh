#!/usr/bin/env bash
# Remakes the README's pictures in docs/: the city of the city maker
# (tests/e2e/city_maker.cpp) opened in the real program under Xvfb, driven
# with xdotool and photographed with the program's own F12 (no cursor), then
# reduced to 256 colours; and the pictures of the example city scripts, each
# run with --script on a new world and opened the same way. Run after a
# build: scripts/screenshots.sh [build-dir] [examples] ("examples": only those).
set -euo pipefail
cd "$(dirname "$0")/.."
DOCS=$PWD/docs
BUILD=$(readlink -f "${1:-build}")
ONLY_EXAMPLES=${2:-}

if [ -z "${TAMO_SHOTS_UNDER_XVFB:-}" ]; then
  export TAMO_SHOTS_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 640x480x24 -nolisten tcp -noreset" bash "$0" "$@"
fi
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy GSETTINGS_BACKEND=memory

WORK=$(mktemp -d /tmp/tamo-shots.XXXXXX)
APP=""
cleanup() {
  [ -n "$APP" ] && kill "$APP" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

cp -r "$BUILD/TamoData.arc" "$BUILD/Textures" "$BUILD/pip.wav" "$WORK/"
mkdir -p "$WORK/pictures" "$DOCS"
# Not a first start: its caption would be in the pictures.
export XDG_DATA_HOME="$WORK/data"
mkdir -p "$XDG_DATA_HOME/tamotown" && : >"$XDG_DATA_HOME/tamotown/started-before"
# Opens world file $1 (in $WORK) in the program and waits for its window.
open_city() {
  [ -n "$APP" ] && kill "$APP" 2>/dev/null && wait "$APP" 2>/dev/null
  (cd "$WORK" && XDG_PICTURES_DIR="$WORK/pictures" exec "$BUILD/tamotown" "$1") &
  APP=$!
  timeout 20 xdotool search --sync --onlyvisible --name '^Tamotown$' >/dev/null
  sleep 1
}

# F12, then waits for the picture and keeps it as docs/$1.png.
picture() {
  xdotool key F12
  for _ in $(seq 100); do
    shot=$(ls "$WORK/pictures" 2>/dev/null | head -n 1)
    if [ -n "$shot" ]; then
      sleep 0.2
      /usr/bin/convert "$WORK/pictures/$shot" -colors 256 "PNG8:$DOCS/$1.png"
      rm "$WORK/pictures/$shot"
      echo "docs/$1.png"
      return 0
    fi
    sleep 0.1
  done
  echo "no picture for $1" >&2
  return 1
}

# Button (x, y) of the 640 x 480 screen: press, hold for a few frames, release.
press() {
  xdotool mousemove "$1" "$2" mousedown 1
  sleep 0.15
  xdotool mouseup 1
  sleep 0.3
}

# Each example script on a new world, seen from behind the start point:
# stepped back for $2 seconds, looking down for $3, kept half size.
example() {
  rm -f "$WORK/$1.map"
  "$BUILD/tamotown" --script "$PWD/examples/$1.lua" "$WORK/$1.map" >/dev/null
  open_city "$1.map"
  xdotool mousemove 320 300 keydown Down
  sleep "$2"
  xdotool keyup Down
  xdotool mousemove 320 479
  sleep "$3"
  xdotool mousemove 320 300
  sleep 0.5
  picture "script-${1//_/-}"
  /usr/bin/convert "$DOCS/script-${1//_/-}.png" -resize 50% "PNG8:$DOCS/script-${1//_/-}.png"
}
examples() {
  example street_grid 0.9 0.3
  example round_tower 1.2 0.02
  example spiral_stair 0.7 0.04
  example curved_road 0.3 0.25
}
if [ "$ONLY_EXAMPLES" = examples ]; then
  examples
  exit 0
fi

"$BUILD/tests/probe_city_maker" "$WORK/city.map"
open_city city.map

# The city from behind the start point, looking down over it.
xdotool mousemove 320 300 keydown Down
sleep 0.3
xdotool keyup Down
xdotool mousemove 320 479
sleep 0.1
xdotool mousemove 320 470
sleep 0.5
picture city

# The texture palette over the city.
xdotool key F2
sleep 0.5
picture palette
xdotool key Escape

# The sprite panel: edit mode 1, the type stepped on to the tree.
press 582 14
press 537 405
press 537 405
press 537 405
press 537 405
xdotool mousemove 320 470
sleep 0.3
picture sprite-panel
press 582 14

# The plan view, scrolled over the city, at the houses' first floor.
press 620 14
for _ in $(seq 9); do press 19 460; done
xdotool mousemove 639 300
sleep 1.2
xdotool mousemove 320 240
sleep 0.3
picture plan-view

# A street built with the region tools on the bare ground the street maker
# lays (a road along the view under the start point). In the plan view, one
# level above the ground, cell (X, Z) shows at pixel (16 X - 63672,
# 16 Z - 63752): a house's footprint is Shift-dragged, raised three levels,
# hollow-filled with a facade and copied; pasted along both sides of the
# road (turned half round for the far side) and each copy repainted.
"$BUILD/tests/probe_city_maker" --street "$WORK/street.map"
open_city street.map
cell() { echo $((16 * $1 - 63672)) $((16 * $2 - 63752)); }
facade() {
  case $1 in
  1) press 480 415 ;; 2) press 500 415 ;; 3) press 479 436 ;;
  4) press 500 436 ;; 5) press 479 457 ;; 6) press 500 457 ;;
  esac
}
paste_at() {
  xdotool mousemove $(cell "$1" "$2")
  sleep 0.3
  xdotool key ctrl+v
  sleep 0.2
  facade "$3"
  xdotool key p
  sleep 0.2
}
press 620 14
for _ in $(seq 9); do press 19 460; done
xdotool mousemove $(cell 4001 4002) keydown shift
sleep 0.2
xdotool mousedown 1
sleep 0.3
xdotool mousemove $(cell 4005 4006)
sleep 0.3
xdotool mouseup 1
sleep 0.2
xdotool key Prior Prior Prior
xdotool keyup shift
facade 1
xdotool key shift+f ctrl+c
sleep 0.2
paste_at 4007 4002 2
paste_at 4013 4002 3
xdotool key r r
paste_at 4001 3993 4
paste_at 4007 3993 5
paste_at 4013 3993 6
xdotool key Escape
press 620 14
# Back along the road, looking down a little.
xdotool mousemove 320 300 keydown Down
sleep 0.4
xdotool keyup Down
xdotool mousemove 320 479
sleep 0.15
xdotool mousemove 320 300
sleep 0.5
picture street

examples
