#!/usr/bin/env bash
# Building together: a server (--serve) and two programs (--join) on the
# loopback address. A block placed in one program reaches the server's file
# and the other program's autosave; killing that other program leaves the
# first building and the server taking its changes; the other joins again
# and receives the city; once it settles, the server's file and both
# autosaves are the same bytes; when the server stops (writing the city and
# keeping the previous file as .1) both programs stay up showing
# DISCONNECTED, and the first still builds.
export TAMO_E2E_SCREEN=1400x500x24
source "$(dirname "$0")/common.bash"

copy_media
SERVER_PID=""
OTHER_PID=""
stop_extra() {
    for pid in $OTHER_PID $SERVER_PID; do
        kill -9 "$pid" 2>/dev/null
    done
    cleanup
}
trap stop_extra EXIT

# Waits up to $3 seconds until world file $1 holds $2 blocks; with $4, sends
# that signal to the server before each look (it writes the city then).
wait_for_blocks() {
    for ((i = 0; i < $3 * 5; i++)); do
        [ -n "${4:-}" ] && kill "-$4" "$SERVER_PID" 2>/dev/null
        sleep 0.2
        [[ "$("$PYTHON" "$E2E_DIR/map_file_info.py" "$1" 2>/dev/null)" == *"blocks $2 "* ]] && return 0
    done
    fail "$1 does not hold $2 blocks: $("$PYTHON" "$E2E_DIR/map_file_info.py" "$1" 2>&1 | tail -n 1)
$(tail -n 5 "$SCRATCH/other.txt")"
}

# Starts the other program, at the right of the first, and waits until it joined.
start_other() {
    : >"$SCRATCH/other.txt"
    (cd "$SCRATCH" && XDG_STATE_HOME="$SCRATCH/other-state" exec "$TAMOTOWN" --windowed \
        --autosave 1 --join "127.0.0.1:$PORT" --name bob >/dev/null 2>"$SCRATCH/other.txt") &
    OTHER_PID=$!
    wait_for_line "$SCRATCH/other.txt" "joined the shared city" 60
    local id
    id=$(timeout 30 xdotool search --sync --onlyvisible --pid "$OTHER_PID" 2>/dev/null | head -n 1)
    [ -n "$id" ] || fail "the other program's window did not appear"
    xdotool windowmove --sync "$id" 700 0
    xdotool mousemove 320 300
    xdotool windowraise "$FIRST_ID" windowfocus --sync "$FIRST_ID" >/dev/null 2>&1 || true
    sleep 0.5
}

# Waits up to ten seconds for a red caption in the window at x offset $1.
wait_for_caption() {
    for ((i = 0; i < 50; i++)); do
        shot "$SCRATCH/caption.ppm"
        [ "$(count_colour "$SCRATCH/caption.ppm" $((180 + $1)) 215 $((460 + $1)) 265 255 40 40)" -gt 80 ] &&
            return 0
        sleep 0.2
    done
    return 1
}

start_server "$SCRATCH/server" city.map
wait_for_line "$SCRATCH/server.txt" "^serving city.map (a new world) on UDP port $PORT" 1

start_app --windowed --autosave 1 --join "127.0.0.1:$PORT" --name ann
FIRST_ID=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n 1)
# The screen is wider than the window: the helpers' positions are the window's.
xdotool windowmove --sync "$FIRST_ID" 0 0
wait_for_line "$SCRATCH/stderr.txt" "joined the shared city" 60
# Stepped back before the other joins: its figure will stand where the
# first started, in front of the start block (clicks pass through figures).
xdotool mousemove 320 300
sleep 1.5
step_back_to_start_block
start_other
wait_for_line "$SCRATCH/server.txt" "^joined: bob" 10
log "a server and two programs joined"

# A block placed in the first reaches the server's file and the other's autosave.
click_at "$BLOCK_X" "$BLOCK_Y"
wait_for_blocks "$SCRATCH/server/city.map" 2 20 HUP
wait_for_blocks "$SCRATCH/other-state/tamotown/autosave.map" 2 20
log "the block is in the server's file and in the other program's autosave"

# Killing the other program does not disturb the first or the server.
kill -9 "$OTHER_PID"
wait "$OTHER_PID" 2>/dev/null
OTHER_PID=""
wait_for_line "$SCRATCH/server.txt" "^left: bob" 30
click_at "$BLOCK_X" "$BLOCK_Y"
wait_for_blocks "$SCRATCH/server/city.map" 3 20 HUP
log "the other killed: the first builds on, the server takes it"

# The other joins again and receives the city as it is now.
rm -f "$SCRATCH/other-state/tamotown/autosave.map"
start_other
wait_for_blocks "$SCRATCH/other-state/tamotown/autosave.map" 3 20

# Settled: the server's file and both programs' autosaves are the same bytes.
wait_for_blocks "$XDG_STATE_HOME/tamotown/autosave.map" 3 20
for copy in "$XDG_STATE_HOME/tamotown/autosave.map" "$SCRATCH/other-state/tamotown/autosave.map"; do
    for ((i = 0; i < 50; i++)); do
        cmp -s "$SCRATCH/server/city.map" "$copy" && break
        sleep 0.2
    done
    cmp "$SCRATCH/server/city.map" "$copy" || fail "$copy differs from the server's file"
done
log "the server's file and both programs' autosaves are the same bytes"

# The server stops: it writes the city, keeping the previous file as .1;
# both programs stay up and show DISCONNECTED, and the first still builds.
kill -TERM "$SERVER_PID"
wait "$SERVER_PID"
STATUS=$?
SERVER_PID=""
[ "$STATUS" = 0 ] || fail "the server ended with $STATUS"
grep -q "^stopped serving city.map" "$SCRATCH/server.txt" || fail "the server did not say it stopped"
[[ "$(map_info "$SCRATCH/server/city.map")" == *"blocks 3 "* ]] || fail "the server's file lost blocks"
[ -f "$SCRATCH/server/city.map.1" ] || fail "no previous version kept as city.map.1"
wait_for_line "$SCRATCH/stderr.txt" "disconnected from the shared city" 30
wait_for_line "$SCRATCH/other.txt" "disconnected from the shared city" 30
kill -0 "$APP_PID" 2>/dev/null || fail "the first program ended with the server"
kill -0 "$OTHER_PID" 2>/dev/null || fail "the other program ended with the server"
wait_for_caption 0 || fail "the first program shows no DISCONNECTED caption"
wait_for_caption 700 || fail "the other program shows no DISCONNECTED caption"
click_at "$BLOCK_X" "$BLOCK_Y"
wait_for_blocks "$XDG_STATE_HOME/tamotown/autosave.map" 4 20
log "the server stopped: both programs show DISCONNECTED, the first still builds"
