#!/usr/bin/env bash
# The first frame shows the sky and the panels; walking back shows the start
# block; the view button shows the level panel, the edit-mode button the
# sprite panel; a button click plays the click sound; two quick clicks on a
# button act twice; the quit button ends the program with exit code 0.
source "$(dirname "$0")/common.bash"

# Record what the program plays.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$SCRATCH/audio.raw"
sound_bytes() {
    [ -f "$SCRATCH/audio.raw" ] || { echo 0; return; }
    "$PYTHON" -c "import sys; print(sum(1 for b in open(sys.argv[1], 'rb').read() if b))" "$SCRATCH/audio.raw"
}

copy_media
start_app

DARK="30 30 30"   # the panels' frames; the sky has nothing this dark
shot "$SCRATCH/first.ppm"
sky_dark=$(count_colour "$SCRATCH/first.ppm" 150 60 450 300 $DARK)
[ "$sky_dark" = 0 ] || fail "the sky area holds $sky_dark dark pixels"
sky_colours=$(distinct_colours "$SCRATCH/first.ppm" 150 60 450 300)
[ "$sky_colours" -gt 50 ] || fail "the sky area is flat ($sky_colours colours): no sky texture"
read -r r g b < <(pixel "$SCRATCH/first.ppm" 300 100)
[ "$b" -gt 150 ] && [ "$b" -ge "$r" ] || fail "the sky at (300, 100) is ($r, $g, $b), not sky blue"
file_panel=$(count_colour "$SCRATCH/first.ppm" 0 0 130 30 $DARK)
mode_panel=$(count_colour "$SCRATCH/first.ppm" 560 0 639 30 $DARK)
block_panel=$(count_colour "$SCRATCH/first.ppm" 459 350 639 479 $DARK)
[ "$file_panel" -gt 100 ] || fail "no file panel at the top left ($file_panel dark pixels)"
[ "$mode_panel" -gt 50 ] || fail "no mode panel at the top right ($mode_panel dark pixels)"
[ "$block_panel" -gt 300 ] || fail "no block panel at the bottom right ($block_panel dark pixels)"
level_panel=$(count_colour "$SCRATCH/first.ppm" 0 400 38 479 $DARK)
[ "$level_panel" -lt 20 ] || fail "the level panel shows in the 3D view"
log "first frame: sky, file, mode and block panels"

# The camera starts on the start block's corner; a step back shows the block.
xdotool mousemove 320 300
hold_key Down 0.2
shot "$SCRATCH/back.ppm"
block=$(changed_pixels "$SCRATCH/first.ppm" "$SCRATCH/back.ppm" 200 100 440 300)
[ "$block" -gt 400 ] || fail "stepping back shows no start block ($block pixels changed)"
log "start block visible ($block pixels)"

[ "$(sound_bytes)" = 0 ] || fail "sound played before any button was clicked"
click_at 620 14   # view button: plan view
sleep 0.3
[ "$(sound_bytes)" -gt 100 ] || fail "the view button played no click sound"
log "a button click plays pip.wav"
shot "$SCRATCH/plan.ppm"
level_panel=$(count_colour "$SCRATCH/plan.ppm" 0 400 38 479 $DARK)
[ "$level_panel" -gt 100 ] || fail "the view button shows no level panel ($level_panel dark pixels)"
log "plan view shows the level panel"

click_at 580 14   # edit-mode button: sprite objects
shot "$SCRATCH/sprites.ppm"
# The sprite panel starts at x = 501; the block panel's left part is gone.
left_part=$(count_colour "$SCRATCH/sprites.ppm" 459 360 495 479 $DARK)
[ "$left_part" -lt 20 ] || fail "the block panel still shows in sprite mode"
sprite_panel=$(changed_pixels "$SCRATCH/plan.ppm" "$SCRATCH/sprites.ppm" 501 350 639 479)
[ "$sprite_panel" -gt 1000 ] || fail "the edit-mode button shows no sprite panel ($sprite_panel pixels changed)"
log "edit-mode button shows the sprite panel"

click_at 620 14   # back to the 3D view
shot "$SCRATCH/back3d.ppm"
level_panel=$(count_colour "$SCRATCH/back3d.ppm" 0 400 38 479 $DARK)
[ "$level_panel" -lt 20 ] || fail "the level panel stays in the 3D view"

# Two quick clicks on T+ step two textures on: the second click of a quick
# pair (a double click) counts on a button. Two slow clicks on T- then bring
# the first texture back.
click_at 580 14   # edit mode: blocks again
xdotool mousemove 628 361   # over T-, where the pointer ends
block_panel_shows() {
    shot "$SCRATCH/material.ppm"
    [ "$(count_colour "$SCRATCH/material.ppm" 459 350 639 479 $DARK)" -gt 300 ]
}
wait_until 20 "the edit-mode button did not bring the block panel back" block_panel_shows
cp "$SCRATCH/material.ppm" "$SCRATCH/first-material.ppm"
material_changed() {
    shot "$SCRATCH/material.ppm"
    [ "$(changed_pixels "$SCRATCH/first-material.ppm" "$SCRATCH/material.ppm" 459 350 639 479)" -gt "$1" ]
}
first_material_back() { ! material_changed 10; }
xdotool mousemove 524 363 click --repeat 2 --delay 120 1   # T+, twice quickly
wait_until 20 "two quick clicks on T+ did not change the material" material_changed 100
click_at 628 361
click_at 628 361
wait_until 20 "two quick clicks on T+ and two slow ones on T- did not give the first texture back" \
    first_material_back
log "two quick clicks on a button act twice"

click_at 20 14    # quit
wait_for_exit 30 || fail "the quit button did not end the program"
[ "$APP_STATUS" = 0 ] || fail "the program ended with exit code $APP_STATUS after quit"
log "quit ends the program with exit code 0"
echo "PASS"
