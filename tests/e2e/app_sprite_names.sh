#!/usr/bin/env bash
# In sprite mode a right double click on a block adds a sprite object; keys
# typed while it is held selected name it (letter keys upper case, F1 gives
# p, numeric-pad 0 nothing, backspace erases); the name is saved with it.
# Num Lock is off (as Xvfb starts): the keypad is a second set of navigation
# keys, so its Down arrow walks and its End key types nothing. (To type KP_0
# xdotool switches Num Lock on, so that key comes last.)
source "$(dirname "$0")/common.bash"

copy_media
start_app

step_back_to_start_block KP_Down

# The columns around the start block where the figure shows, from the top
# of the screen, where its label may stand, down to below the block.
BOX=($((BLOCK_X > 80 ? BLOCK_X - 80 : 0)) 0 $((BLOCK_X + 80)) $((BLOCK_Y + 40)))
figure_added() {
    shot "$SCRATCH/now.ppm"
    [ "$(changed_pixels "$SCRATCH/no-figure.ppm" "$SCRATCH/now.ppm" "${BOX[@]}")" -gt 100 ]
}
# A selected figure shows its number above it in its team's colour (team
# 0: blue), which the frame without the selection ($SCRATCH/unselected.ppm)
# has far less of.
BLUE="0 0 255"
figure_selected() {
    shot "$SCRATCH/now.ppm"
    [ "$(count_colour "$SCRATCH/now.ppm" "${BOX[@]}" $BLUE)" -gt $((UNSELECTED_BLUE + 15)) ]
}

click_at 580 14   # edit mode: sprite objects
# A right double click held until a frame has added the figure: the second
# press is the double click only until its release.
xdotool mousemove "$BLOCK_X" "$BLOCK_Y"
sleep 0.3
shot "$SCRATCH/no-figure.ppm"
xdotool mousedown 3
sleep 0.05
xdotool mouseup 3
sleep 0.05
xdotool mousedown 3
wait_until 30 "a right double click on the block added no figure" figure_added
xdotool mouseup 3
sleep 0.3
shot "$SCRATCH/unselected.ppm"
UNSELECTED_BLUE=$(count_colour "$SCRATCH/unselected.ppm" "${BOX[@]}" $BLUE)

# Hold the left button on the object to keep it selected while typing; type
# once a frame has selected it.
xdotool mousedown 1
wait_until 30 "holding the left button on the figure did not select it" figure_selected
xdotool key a b F1 KP_End KP_0 c BackSpace
sleep 0.5
xdotool mouseup 1
sleep 0.3
xdotool mousemove 320 300

save_world_as "$SCRATCH/sprites.map"
info=$(map_info "$SCRATCH/sprites.map")
[[ "$info" == *"sprites 1 names ABp" ]] || fail "expected one sprite object named ABp, the file holds '$info'"
log "typed name saved: $info"

click_at 20 14
wait_for_exit 30 || fail "the quit button did not end the program"
[ "$APP_STATUS" = 0 ] || fail "exit code $APP_STATUS after quit"
echo "PASS"
