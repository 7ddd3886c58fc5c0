#!/usr/bin/env bash
# Options and the window on a 1920 x 1200 screen: --help, --version and an
# unknown option; --scale 2 opens a window twice the size whose edges turn
# the view; F12 saves the frame as a PNG in $XDG_PICTURES_DIR and shows
# "SAVED"; widened, the window shows the picture between black bars and
# clicks land where the buttons show; --windowed opens a 640 x 480 window
# and leaves the screen as it was.
export TAMO_E2E_SCREEN=1920x1200x24
source "$(dirname "$0")/common.bash"

CONVERT=/usr/bin/convert
[ -x "$CONVERT" ] || CONVERT=convert
COMPARE=/usr/bin/compare
[ -x "$COMPARE" ] || COMPARE=compare

# Options answer without opening a window.
"$TAMOTOWN" --help >"$SCRATCH/help.txt" 2>&1 || fail "--help ended with a failure code"
for option in --windowed --scale --version --help CITY.map; do
    grep -q -- "$option" "$SCRATCH/help.txt" || fail "--help does not list $option"
done
version=$("$TAMOTOWN" --version)
[[ "$version" =~ ^tamotown\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
"$TAMOTOWN" --fly >/dev/null 2>"$SCRATCH/bad.txt"
status=$?
[ "$status" = 2 ] || fail "an unknown option ended with $status, not 2"
[ "$(wc -l <"$SCRATCH/bad.txt")" = 1 ] || fail "an unknown option gave more than one line: $(cat "$SCRATCH/bad.txt")"
log "--help, --version and an unknown option (exit 2: $(cat "$SCRATCH/bad.txt"))"

# Sets WIN_X WIN_Y WIN_W WIN_H to the Tamotown window's geometry.
window_geometry() {
    local id
    id=$(find_windows --name '^Tamotown$' | head -n 1)
    [ -n "$id" ] || fail "no Tamotown window"
    eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/WIN_/')"
}

# Pixels that differ between two pictures of equal size.
differing() { "$COMPARE" -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

copy_media
DARK="30 30 30"

# --scale 2: a 1280 x 960 window.
mkdir -p "$SCRATCH/pictures"
export XDG_PICTURES_DIR="$SCRATCH/pictures"
start_app --scale 2
window_geometry
[ "$WIN_WIDTH" = 1280 ] && [ "$WIN_HEIGHT" = 960 ] || fail "--scale 2 gave a ${WIN_WIDTH}x$WIN_HEIGHT window"
crop() { "$CONVERT" "$1" -crop "${WIN_WIDTH}x${WIN_HEIGHT}+${WIN_X}+${WIN_Y}" +repage -depth 8 "ppm:$2"; }
xdotool mousemove $(( WIN_X + 640 )) $(( WIN_Y + 600 ))
sleep 0.5
shot "$SCRATCH/scaled-screen.ppm"
crop "$SCRATCH/scaled-screen.ppm" "$SCRATCH/scaled.ppm"
file_panel=$(count_colour "$SCRATCH/scaled.ppm" 0 0 260 60 $DARK)
block_panel=$(count_colour "$SCRATCH/scaled.ppm" 918 700 1279 959 $DARK)
[ "$file_panel" -gt 400 ] && [ "$block_panel" -gt 1200 ] ||
    fail "the scaled window does not show the panels scaled (file $file_panel, block $block_panel)"

# F12: the frame as it shows, without the caption that then appears.
xdotool key F12
sleep 1
shot "$SCRATCH/saved-screen.ppm"
picture=$(ls "$SCRATCH/pictures")
[[ "$picture" =~ ^tamotown-[0-9]{8}-[0-9]{6}\.png$ ]] || fail "F12 wrote '$picture' into \$XDG_PICTURES_DIR"
[ "$("$CONVERT" "$SCRATCH/pictures/$picture" -format '%wx%h' info:)" = 1280x960 ] ||
    fail "the picture is not the 1280 x 960 frame"
"$CONVERT" "$SCRATCH/pictures/$picture" -depth 8 "ppm:$SCRATCH/picture.ppm"
diff=$(differing "$SCRATCH/scaled.ppm" "$SCRATCH/picture.ppm")
[ "$diff" -lt 50 ] || fail "the picture differs from the frame on screen in $diff pixels"
crop "$SCRATCH/saved-screen.ppm" "$SCRATCH/saved.ppm"
red=$(count_colour "$SCRATCH/saved.ppm" 400 420 880 540 255 40 40)
[ "$red" -gt 200 ] || fail "no SAVED caption after F12 ($red red pixels)"
log "F12 saved $picture, equal to the frame; SAVED shows"

# The window's edges turn the view; a pixel inside them does not.
sleep 2.2   # the caption is gone
xdotool mousemove $(( WIN_X + 1 )) $(( WIN_Y + 600 ))
sleep 0.3
shot "$SCRATCH/inside-a.ppm"
sleep 0.5
shot "$SCRATCH/inside-b.ppm"
still=$(differing "$SCRATCH/inside-a.ppm" "$SCRATCH/inside-b.ppm")
[ "$still" -lt 50 ] || fail "the view turned with the cursor one pixel inside the edge ($still pixels)"
xdotool mousemove "$WIN_X" $(( WIN_Y + 600 ))
sleep 0.5
shot "$SCRATCH/edge.ppm"
turned=$(differing "$SCRATCH/inside-b.ppm" "$SCRATCH/edge.ppm")
[ "$turned" -gt 5000 ] || fail "the cursor on the window's left edge did not turn the view ($turned pixels)"
log "the window's edge turns the view ($turned pixels), one pixel inside does not"

# Wider than 4:3 (as a full screen that kept a wide mode): the picture
# stays 1280 x 960, between black bars of 160 pixels, and clicks land where
# the buttons show.
xdotool windowsize "$(find_windows --name '^Tamotown$' | head -n 1)" 1600 960
sleep 1
window_geometry
[ "$WIN_WIDTH" = 1600 ] || fail "the window could not be widened"
shot "$SCRATCH/wide-screen.ppm"
crop "$SCRATCH/wide-screen.ppm" "$SCRATCH/wide.ppm"
bars=$(( $(count_colour "$SCRATCH/wide.ppm" 0 0 159 959 0 0 0) + $(count_colour "$SCRATCH/wide.ppm" 1440 0 1599 959 0 0 0) ))
[ "$bars" = $(( 2 * 160 * 960 )) ] || fail "the bars beside the picture are not black ($bars dark pixels)"
file_panel=$(count_colour "$SCRATCH/wide.ppm" 160 0 420 60 $DARK)
[ "$file_panel" -gt 400 ] || fail "the picture does not start after the bar ($file_panel)"
click_at $(( WIN_X + 160 + 1240 )) $(( WIN_Y + 28 ))   # the view button
shot "$SCRATCH/wide-plan-screen.ppm"
crop "$SCRATCH/wide-plan-screen.ppm" "$SCRATCH/wide-plan.ppm"
level_panel=$(count_colour "$SCRATCH/wide-plan.ppm" 160 800 236 959 $DARK)
[ "$level_panel" -gt 400 ] || fail "a click on the view button beside a bar shows no level panel ($level_panel)"
click_at $(( WIN_X + 160 + 40 )) $(( WIN_Y + 28 ))     # quit
wait_for_exit 30 || fail "a click on the quit button beside a bar did not end the program"
[ "$APP_STATUS" = 0 ] || fail "exit code $APP_STATUS after quit"
log "a wider window: the picture between black bars, buttons where they show"

# --windowed: 640 x 480 on the desktop, the screen unchanged.
start_app --windowed
window_geometry
[ "$WIN_WIDTH" = 640 ] && [ "$WIN_HEIGHT" = 480 ] || fail "--windowed gave a ${WIN_WIDTH}x$WIN_HEIGHT window"
xdpyinfo >"$SCRATCH/display.txt" 2>&1
grep -q 'dimensions: *1920x1200' "$SCRATCH/display.txt" || fail "--windowed changed the screen"
click_at $(( WIN_X + 20 )) $(( WIN_Y + 14 ))
wait_for_exit 30 || fail "the quit button of the window did not end the program"
log "--windowed: a 640 x 480 window, the screen unchanged"
echo "PASS"
