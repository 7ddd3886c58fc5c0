#!/usr/bin/env bash
# The region tools in the real program: a Shift+click on the start block in
# the 3D view selects it and Delete removes it; a Shift-drag in the plan
# view, grown two levels with Shift+Page Up and filled with F, saves through
# the chooser as exactly that box; Ctrl+C, then Ctrl+V with the pointer
# elsewhere, saves as two copies of it.
source "$(dirname "$0")/common.bash"

copy_media
start_app

# Checks that the cells of world file $1 are $2 copies of one box of
# $3 x $4 x $5 cells (x, y, z), the copies shifted along the level.
expect_boxes() {
    "$PYTHON" "$E2E_DIR/map_file_info.py" --cells "$1" >"$SCRATCH/cells.txt" ||
        fail "$1 is not a sound world file"
    "$PYTHON" - "$SCRATCH/cells.txt" "$2" "$3" "$4" "$5" <<'PY' || fail "$1 does not hold $2 box(es) of $3 x $4 x $5"
import sys
cells = [tuple(map(int, line.split())) for line in open(sys.argv[1])]
copies, size = int(sys.argv[2]), tuple(map(int, sys.argv[3:6]))
assert len(cells) == len(set(cells)) == copies * size[0] * size[1] * size[2], len(cells)
rest = set(cells)
for _ in range(copies):
    low = min(rest)
    box = {(low[0] + x, low[1] + y, low[2] + z)
           for x in range(size[0]) for y in range(size[1]) for z in range(size[2])}
    assert box <= rest, f"no whole box at {low}"
    rest -= box
assert not rest
PY
}

# 3D view: Shift+click on the start block selects it; Delete removes it.
step_back_to_start_block
xdotool mousemove "$BLOCK_X" "$BLOCK_Y" keydown shift
sleep 0.2
xdotool mousedown 1
sleep 0.4
xdotool mouseup 1 keyup shift
sleep 0.3
xdotool key Delete
save_world_as "$SCRATCH/empty.map"
[[ "$(map_info "$SCRATCH/empty.map")" == *" blocks 0 sprites 0" ]] ||
    fail "Shift+click and Delete left $(map_info "$SCRATCH/empty.map")"
log "Shift+click selected the start block and Delete removed it"

# Plan view: a Shift-drag over 5 x 4 cells (cell edges lie every 16 pixels
# from the screen's left and top), two levels more, filled.
select_plan_box
xdotool key f
save_world_as "$SCRATCH/box.map"
expect_boxes "$SCRATCH/box.map" 1 5 3 4
log "Shift-drag, two levels up and F saved exactly the box"

# Copy, then paste with the pointer eight cells to the right.
xdotool key ctrl+c
xdotool mousemove 330 200
sleep 0.4
xdotool key ctrl+v
save_world_as "$SCRATCH/two.map"
expect_boxes "$SCRATCH/two.map" 2 5 3 4
log "Ctrl+C and Ctrl+V elsewhere saved both copies"

click_at 20 14
wait_for_exit 30 || fail "the quit button did not end the program"
echo "PASS"
