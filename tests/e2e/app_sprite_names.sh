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

click_at 580 14   # edit mode: sprite objects
# A right double click held long enough for a frame to see it: the second
# press is the double click only until its release, and under the sanitizers
# on a busy machine a frame can take longer than half a second.
xdotool mousemove "$BLOCK_X" "$BLOCK_Y"
sleep 0.3
xdotool mousedown 3
sleep 0.05
xdotool mouseup 3
sleep 0.05
xdotool mousedown 3
sleep 1
xdotool mouseup 3
sleep 0.5

# Hold the left button on the object to keep it selected while typing.
xdotool mousedown 1
sleep 0.4
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
