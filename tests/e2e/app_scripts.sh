#!/usr/bin/env bash
# City scripts and shapes in the real program: Ctrl+R opens a script through
# the chooser and runs it, Ctrl+Z undoes all of it at once, F5 runs the
# script file again as it now reads; C builds the cylinder of a plan-view
# selection (cells checked against the ellipse rule); after Ctrl+C the paste
# preview's yellow box follows the pointer until Esc.
source "$(dirname "$0")/common.bash"

copy_media
start_app

# The new cells of world file $2 against file $1: exactly the cells of the
# cylinder standing in a box of $3 x $4 x $5 (x, y, z), one whose centres lie
# in the ellipse drawn round the box's plan.
expect_cylinder() {
    "$PYTHON" "$E2E_DIR/map_file_info.py" --cells "$1" >"$SCRATCH/before.txt" || fail "$1 unsound"
    "$PYTHON" "$E2E_DIR/map_file_info.py" --cells "$2" >"$SCRATCH/after.txt" || fail "$2 unsound"
    "$PYTHON" - "$SCRATCH/before.txt" "$SCRATCH/after.txt" "$3" "$4" "$5" <<'PY' ||
import sys
read = lambda name: {tuple(map(int, line.split())) for line in open(name)}
new = read(sys.argv[2]) - read(sys.argv[1])
size = tuple(map(int, sys.argv[3:6]))
low = [min(c[a] for c in new) for a in range(3)]
high = [max(c[a] for c in new) for a in range(3)]
assert [h - l + 1 for l, h in zip(low, high)] == list(size), (low, high)
mid = [(l + h) / 2 for l, h in zip(low, high)]
def inside(x, z):
    return ((x - mid[0]) / (size[0] / 2)) ** 2 + ((z - mid[2]) / (size[2] / 2)) ** 2 <= 1
want = {(x, y, z) for x in range(low[0], high[0] + 1) for y in range(low[1], high[1] + 1)
        for z in range(low[2], high[2] + 1) if inside(x, z)}
assert new == want, sorted(new ^ want)
PY
        fail "the cylinder's cells are not those of a $3 x $4 x $5 box's ellipse"
}

# Ctrl+R with a script of 18 blocks and a figure.
cat >"$SCRATCH/build.lua" <<'LUA'
city.fill(4002, 4000, 3998, 4004, 4001, 4000, city.material{texture = 101})
city.figure(4003, 4001, 3999, "tree", "OAK", 0)
LUA
xdotool key ctrl+r
wait_for_window '^Open'
xdotool key ctrl+l
sleep 0.3
xdotool type --delay 20 "$SCRATCH/build.lua"
xdotool key Return
wait_window_gone '^Open' Return
save_world_as "$SCRATCH/built.map"
[[ "$(map_info "$SCRATCH/built.map")" == "sectors 2 blocks 19 sprites 1 names OAK" ]] ||
    fail "Ctrl+R gave $(map_info "$SCRATCH/built.map")"
log "Ctrl+R ran the script chosen in the file chooser"

# Ctrl+Z takes all of it away; F5 runs the file again as it now reads.
xdotool key ctrl+z
sleep 0.3
echo 'city.fill(4002, 4000, 4002, 4005, 4000, 4002, city.material{texture = 102})' \
    >"$SCRATCH/build.lua"
xdotool key F5
save_world_as "$SCRATCH/again.map"
[[ "$(map_info "$SCRATCH/again.map")" == "sectors 1 blocks 5 sprites 0" ]] ||
    fail "Ctrl+Z and F5 gave $(map_info "$SCRATCH/again.map")"
log "Ctrl+Z undid the whole script and F5 ran the changed file"

# The plan view: a Shift-drag over 5 x 4 cells, two levels more, then C.
select_plan_box
xdotool key c
save_world_as "$SCRATCH/cylinder.map"
expect_cylinder "$SCRATCH/again.map" "$SCRATCH/cylinder.map" 5 3 4
log "C built the cylinder standing in the selection"

# The paste preview: yellow after Ctrl+C, following the pointer; gone after Esc.
xdotool key ctrl+c
xdotool mousemove 420 300
sleep 0.5
shot "$SCRATCH/preview.ppm"
shown=$(count_colour "$SCRATCH/preview.ppm" 380 260 520 400 255 220 0)
((shown > 40)) || fail "no paste preview near the pointer ($shown yellow pixels)"
xdotool key Escape
sleep 0.5
shot "$SCRATCH/no-preview.ppm"
left=$(count_colour "$SCRATCH/no-preview.ppm" 380 260 520 400 255 220 0)
((left < 5)) || fail "the paste preview stayed after Esc ($left yellow pixels)"
log "the paste preview followed the pointer after Ctrl+C and went with Esc"

click_at 20 14
wait_for_exit 30 || fail "the quit button did not end the program"
echo "PASS"
