#!/usr/bin/env bash
# Saving through the file chooser writes the start world byte for byte (a
# bare name gets the extension, cancel writes nothing); a
# click on the start block places a block; loading a saved file restores that
# world; a file of random bytes leaves the world as it was and shows the
# failure caption with the reason below it. A world file named on the
# command line opens at start.
source "$(dirname "$0")/common.bash"

copy_media
start_app

# The start world: one sector at (40000, 60000, 40000) of edge 20 holding the
# block (0, 0, 0), every face texture 100, offsets 0, rotation 0, scales 1;
# no sprite objects.
"$PYTHON" - "$SCRATCH/expected-start.map" <<'PY'
import struct, sys
face = struct.pack('<iiiBbb', 100, 0, 0, 0, 1, 1)
data = struct.pack('<i', 1) + struct.pack('<ifffi', 20, 40000.0, 60000.0, 40000.0, 1)
data += struct.pack('<iii', 0, 0, 0) + face * 6 + struct.pack('<i', 0)
open(sys.argv[1], 'wb').write(data)
PY

save_world_as "$SCRATCH/start.map"
[ -f "$SCRATCH/start.map" ] || fail "saving wrote no start.map"
cmp -s "$SCRATCH/start.map" "$SCRATCH/expected-start.map" ||
    fail "start.map differs from the expected 130 bytes: $(xxd "$SCRATCH/start.map" | head -n 3)"
log "saving writes the start world byte for byte"

# A bare name is saved in the working folder with the extension added.
save_world_as world
cmp -s "$SCRATCH/world.map" "$SCRATCH/expected-start.map" || fail "typing 'world' did not write world.map"
# Cancelling the chooser writes nothing.
before=$(ls "$SCRATCH")
click_at 60 14
wait_for_window '^Save'
xdotool key Escape
wait_window_gone '^Save'
[ "$(ls "$SCRATCH")" = "$before" ] || fail "a cancelled save changed the folder"
log "a bare name gets the extension; cancel writes nothing"

# The plan view is drawn from fixed values: it shows the blocks of the level.
plan_shot() {
    click_at 620 14
    xdotool mousemove 320 300
    sleep 0.3
    shot "$1"
    click_at 620 14
}
plan_shot "$SCRATCH/plan-one.ppm"

# Step back so the block shows, then click on it: a block goes in front of it.
step_back_to_start_block
click_at "$BLOCK_X" "$BLOCK_Y"
plan_shot "$SCRATCH/plan-two.ppm"
placed=$(changed_pixels "$SCRATCH/plan-one.ppm" "$SCRATCH/plan-two.ppm" 160 80 480 400)
[ "$placed" -gt 100 ] || fail "a click on the block at ($BLOCK_X, $BLOCK_Y) placed nothing visible in the plan ($placed pixels)"
save_world_as "$SCRATCH/two.map"
info=$(map_info "$SCRATCH/two.map")
[[ "$info" == *"blocks 2 sprites 0" ]] || fail "two.map holds '$info', expected two blocks"
log "a click on the start block placed a block ($info)"

load_world_from "$SCRATCH/start.map"
plan_shot "$SCRATCH/plan-reloaded.ppm"
restored=$(changed_pixels "$SCRATCH/plan-one.ppm" "$SCRATCH/plan-reloaded.ppm" 160 80 480 400)
[ "$restored" -lt 30 ] || fail "after loading start.map the plan differs from the start world's ($restored pixels)"
save_world_as "$SCRATCH/start-again.map"
cmp -s "$SCRATCH/start-again.map" "$SCRATCH/expected-start.map" || fail "loading start.map did not restore the start world"
log "loading start.map restores the start world"

load_world_from "$SCRATCH/two.map"
"$PYTHON" -c "import random, sys; random.seed(7); open(sys.argv[1], 'wb').write(bytes(random.randrange(256) for _ in range(333)))" "$SCRATCH/noise.map"
load_world_from "$SCRATCH/noise.map"
shot "$SCRATCH/failed.ppm"
# The caption is drawn in red, centred on the screen.
red=$(count_colour "$SCRATCH/failed.ppm" 180 215 460 265 255 40 40)
[ "$red" -gt 80 ] || fail "no failure caption after loading random bytes ($red red pixels)"
# The second line, in smaller letters below, names the file and the reason.
reason=$(count_colour "$SCRATCH/failed.ppm" 0 252 639 275 255 40 40)
[ "$reason" -gt 150 ] || fail "no reason below the failure caption ($reason red pixels)"
grep -q "loading the world failed" "$SCRATCH/stderr.txt" || fail "the failed load was not reported on standard error"
save_world_as "$SCRATCH/after-noise.map"
cmp -s "$SCRATCH/after-noise.map" "$SCRATCH/two.map" || fail "loading random bytes changed the world"
log "random bytes leave the world and show the caption ($red red pixels)"

click_at 20 14
wait_for_exit 30 || fail "the quit button did not end the program"
[ "$APP_STATUS" = 0 ] || fail "exit code $APP_STATUS after quit"

# A world file named on the command line opens at start; a bad one starts
# the new world and shows the caption.
start_app two.map
save_world_as "$SCRATCH/opened.map"
cmp -s "$SCRATCH/opened.map" "$SCRATCH/two.map" || fail "'tamotown two.map' did not open two.map"
click_at 20 14
wait_for_exit 30 || fail "the quit button did not end the program"
# The caption shows for three seconds from the failed load: look for it from
# the window's first frame on, not only once the frame has settled.
launch_app "$SCRATCH/noise.map"
red=0
for ((i = 0; i < 30 && red <= 80; i++)); do
    shot "$SCRATCH/noise-at-start.ppm"
    red=$(count_colour "$SCRATCH/noise-at-start.ppm" 180 215 460 265 255 40 40)
done
[ "$red" -gt 80 ] || fail "no failure caption after starting with random bytes ($red red pixels)"
reason=$(count_colour "$SCRATCH/noise-at-start.ppm" 0 252 639 275 255 40 40)
[ "$reason" -gt 150 ] || fail "no reason below the caption at start ($reason red pixels)"
wait_for_first_frame "$SCRATCH/before-start.ppm"
grep -q "noise.map" "$SCRATCH/stderr.txt" || fail "the failed start load was not reported"
save_world_as "$SCRATCH/new-world.map"
cmp -s "$SCRATCH/new-world.map" "$SCRATCH/expected-start.map" || fail "a bad file at start did not leave the new world"
log "a world named on the command line opens; a bad one shows the caption"
click_at 20 14
wait_for_exit 30 || fail "the quit button did not end the program"
echo "PASS"
