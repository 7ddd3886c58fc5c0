#!/usr/bin/env bash
# The program on every OpenGL driver: on one that offers only OpenGL 1.4 (as
# an indirect display such as ssh -X does) the city shows, pixel for pixel
# as on today's driver. Where no OpenGL can be had (an X server that refuses
# the driver's indirect context, or one without GLX at all) the program says
# why on standard error and in a message box, shows no black window, and
# ends with exit code 1 once the box is dismissed.
source "$(dirname "$0")/common.bash"

MAKER="${TAMO_TEST_BIN:-$BUILD_DIR/tests}/probe_city_maker"
copy_media
"$MAKER" "$SCRATCH/city.map" || fail "the city maker failed"
# The pointer rests where it turns nothing, in both runs.
xdotool mousemove 320 300

# The city as it first shows, on the driver as it is and limited to 1.4. The
# figures step through their animation every quarter second: the 1.4 run is
# photographed until it shows the step the first run showed (for at most ten
# seconds), and must then be the same picture.
first_frame() {
    start_app city.map
    shot "$SCRATCH/$1.ppm"
    if [ -n "${2:-}" ]; then
        local deadline=$((SECONDS + 10))
        until [ "$(probe same "$2" "$SCRATCH/$1.ppm" 0 0 639 479)" = 1 ] || ((SECONDS >= deadline)); do
            sleep 0.05
            shot "$SCRATCH/$1.ppm"
        done
    fi
    [ ! -s "$SCRATCH/stderr.txt" ] || fail "the program complained on $1: $(head -n 2 "$SCRATCH/stderr.txt")"
    kill -TERM "$APP_PID"
    wait_for_exit 30 || fail "the program on $1 did not end"
}
first_frame today
MESA_GL_VERSION_OVERRIDE=1.4 first_frame opengl-1.4 "$SCRATCH/today.ppm"
# The city below the horizon: the ground, roads and houses, not one colour.
colours=$(distinct_colours "$SCRATCH/opengl-1.4.ppm" 0 250 639 340)
((colours > 40)) || fail "on OpenGL 1.4 the city shows $colours colours"
[ "$(probe same "$SCRATCH/today.ppm" "$SCRATCH/opengl-1.4.ppm" 0 0 639 479)" = 1 ] ||
    fail "OpenGL 1.4 draws another picture: $(changed_pixels "$SCRATCH/today.ppm" "$SCRATCH/opengl-1.4.ppm" 0 0 639 479) pixels differ"
log "OpenGL 1.4: the city shows ($colours colours), the same picture as today's driver"

# Waits for the error box, checks what was said and that no black window
# stands beside it, dismisses it and expects exit code 1.
expect_no_opengl() {
    wait_for_window '^Tamotown cannot start$'
    [ -z "$(find_windows --name '^Tamotown$')" ] || fail "$1: a Tamotown window stays open behind the box"
    wait_until 10 "$1: nothing said on standard error" grep -q "^tamotown: OpenGL is not available: $2" "$SCRATCH/stderr.txt"
    xdotool key Return
    wait_for_exit 30 || fail "$1: the program did not end after the box"
    [ "$APP_STATUS" = 1 ] || fail "$1: exit code $APP_STATUS, expected 1"
    log "$1: $(grep -m 1 'OpenGL is not available' "$SCRATCH/stderr.txt"), in a box too; exit code 1"
}

# Mesa asks the X server for an indirect context, which it refuses.
LIBGL_ALWAYS_INDIRECT=1 launch_app city.map
expect_no_opengl "indirect OpenGL refused" "Could not create GL context: BadValue"

# An X server without GLX.
start_second_display -extension GLX
OWN_DISPLAY=$DISPLAY
export DISPLAY=":$SECOND_DISPLAY"
launch_app city.map
expect_no_opengl "no GLX" "GLX is not supported"
export DISPLAY=$OWN_DISPLAY
kill "$SECOND_XPID"
wait "$SECOND_XPID" 2>/dev/null
echo "PASS"
