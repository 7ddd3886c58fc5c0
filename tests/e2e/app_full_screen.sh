#!/usr/bin/env bash
# Full screen on a 1024 x 768 X server without a window manager, where
# nobody gives the window the display's size: the picture fits the window as
# it really is (all four panels show, clicks land on the buttons), and follows
# when the window is resized later (as a window manager that starts late
# would do).
export TAMO_E2E_SCREEN=1024x768x24
source "$(dirname "$0")/common.bash"

DARK="30 30 30"   # the panels' frames; the sky has nothing this dark

# Sets WIN_* to the window's real geometry and FIT_* to where the 640 x 480
# picture shows on the screen: scaled by one factor to fit, centred.
fit_to_window() {
    local id
    id=$(find_windows --name '^Tamotown$' | head -n 1)
    [ -n "$id" ] || fail "no Tamotown window"
    eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/WIN_/')"
    if ((WIN_WIDTH * 480 >= WIN_HEIGHT * 640)); then
        FIT_H=$WIN_HEIGHT
        FIT_W=$((WIN_HEIGHT * 640 / 480))
    else
        FIT_W=$WIN_WIDTH
        FIT_H=$((WIN_WIDTH * 480 / 640))
    fi
    FIT_X=$((WIN_X + (WIN_WIDTH - FIT_W) / 2))
    FIT_Y=$((WIN_Y + (WIN_HEIGHT - FIT_H) / 2))
}
# Screen position of picture pixel ($1, $2), and of a picture rectangle.
at() { echo $((FIT_X + $1 * FIT_W / 640)) $((FIT_Y + $2 * FIT_H / 480)); }
area() { echo $(at "$1" "$2") $(at "$3" "$4"); }

# True when the file, mode and block panels show where the fitted picture
# puts them (a picture drawn for another size shows a zoomed corner without
# them); PANELS holds the dark pixels counted in each.
panels_fit() {
    shot "$SCRATCH/panels.ppm"
    local file mode block scale=$((FIT_W * FIT_H / (640 * 480)))
    ((scale >= 1)) || scale=1
    file=$(count_colour "$SCRATCH/panels.ppm" $(area 0 0 130 30) $DARK)
    mode=$(count_colour "$SCRATCH/panels.ppm" $(area 560 0 639 30) $DARK)
    block=$(count_colour "$SCRATCH/panels.ppm" $(area 459 350 639 479) $DARK)
    PANELS="file $file, mode $mode, block $block"
    ((file > 100 * scale && mode > 50 * scale && block > 300 * scale))
}
level_panel() {
    shot "$SCRATCH/level.ppm"
    count_colour "$SCRATCH/level.ppm" $(area 0 400 38 479) $DARK
}
level_shows() { [ "$(level_panel)" -gt 100 ]; }
level_gone() { [ "$(level_panel)" -lt 20 ]; }

copy_media
start_app
fit_to_window
log "full screen without a window manager: a ${WIN_WIDTH}x$WIN_HEIGHT window at $WIN_X,$WIN_Y"
panels_fit || fail "the panels do not show where the picture fits the window ($PANELS dark pixels)"
click_at $(at 620 14)   # the view button: the plan view's level panel shows
wait_until 20 "a click on the view button showed no level panel" level_shows
click_at $(at 620 14)   # and back to the 3D view
wait_until 20 "a second click on the view button left the level panel" level_gone
log "the picture fits the window ($PANELS dark pixels); clicks land on the view button"

# Resized to the whole screen: the next frames fit the new size.
ID=$(find_windows --name '^Tamotown$' | head -n 1)
xdotool windowsize "$ID" 1024 768
resized() { [ "$(xdotool getwindowgeometry --shell "$ID" | grep -cE '^(WIDTH=1024|HEIGHT=768)$')" = 2 ]; }
wait_until 20 "the window could not be resized" resized
fit_to_window
wait_until 20 "the picture did not follow the window to ${WIN_WIDTH}x$WIN_HEIGHT" panels_fit
click_at $(at 20 14)   # quit
wait_for_exit 30 || fail "a click on the quit button of the resized window did not end the program"
[ "$APP_STATUS" = 0 ] || fail "exit code $APP_STATUS after quit"
log "resized to ${WIN_WIDTH}x$WIN_HEIGHT: the picture follows ($PANELS), the quit button ends the program"
echo "PASS"
