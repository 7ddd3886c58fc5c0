#!/usr/bin/env bash
# Remakes the README's pictures in docs/: the city of the city maker
# (tests/e2e/city_maker.cpp) opened in the real program under Xvfb, driven
# with xdotool and photographed with the program's own F12 (no cursor), then
# reduced to 256 colours. Run after a build: scripts/screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
DOCS=$PWD/docs
BUILD=$(readlink -f "${1:-build}")

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
"$BUILD/tests/probe_city_maker" "$WORK/city.map"
mkdir -p "$WORK/pictures" "$DOCS"
(cd "$WORK" && XDG_PICTURES_DIR="$WORK/pictures" exec "$BUILD/tamotown" city.map) &
APP=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Tamotown$' >/dev/null
sleep 1

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

# The city from behind the start point, looking down over it.
xdotool mousemove 320 300 keydown Down
sleep 0.3
xdotool keyup Down
xdotool mousemove 320 479
sleep 0.1
xdotool mousemove 320 470
sleep 0.5
picture city

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
