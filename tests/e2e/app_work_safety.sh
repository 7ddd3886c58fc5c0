#!/usr/bin/env bash
# Work is never lost: Ctrl+Z undoes a block and says so, and the world is then
# unchanged (quit asks nothing); with unsaved changes quit and load ask
# "Unsaved changes" (Escape cancels, Alt+S saves through the chooser and goes
# on, Alt+D discards, Return saves under the current name); undo brings back
# the world a load replaced. Unsaved work is autosaved: after SIGKILL the next
# start offers to recover it and every edit is back; a second program does
# not touch the first's autosave.
source "$(dirname "$0")/common.bash"

AUTOSAVE="$XDG_STATE_HOME/tamotown/autosave.map"
copy_media

caption_red() {
    shot "$SCRATCH/caption.ppm"
    count_colour "$SCRATCH/caption.ppm" 180 215 460 265 255 40 40
}

quit_without_question() {
    click_at 20 14
    wait_for_exit 10 || fail "$1: quit did not end the program"
    [ "$APP_STATUS" = 0 ] || fail "$1: exit code $APP_STATUS"
}

# Waits up to $2 seconds until the autosave holds $1 blocks.
wait_for_autosave() {
    for ((i = 0; i < $2 * 10; i++)); do
        if [ -f "$AUTOSAVE" ] && [[ "$("$PYTHON" "$E2E_DIR/map_file_info.py" "$AUTOSAVE" 2>/dev/null)" == *"blocks $1 "* ]]; then
            return 0
        fi
        sleep 0.1
    done
    fail "no autosave of $1 blocks appeared at $AUTOSAVE"
}

# Undo, and an undo back to the start needs no question.
start_app --autosave 1
step_back_to_start_block
click_at "$BLOCK_X" "$BLOCK_Y"
xdotool key ctrl+z
sleep 0.3
[ "$(caption_red)" -gt 80 ] || fail "Ctrl+Z showed no caption"
xdotool key ctrl+z
sleep 0.3
[ "$(caption_red)" -gt 80 ] || fail "a second Ctrl+Z showed no NOTHING TO UNDO caption"
quit_without_question "after undoing every edit"
[ ! -e "$AUTOSAVE" ] || fail "a clean exit left the autosave"
log "Ctrl+Z undoes and shows its caption; the world is unchanged again"

# Quit with unsaved changes: Escape cancels, Alt+S saves and goes on.
start_app --autosave 1
step_back_to_start_block
click_at "$BLOCK_X" "$BLOCK_Y"
click_at 20 14
wait_for_window '^Unsaved changes$'
xdotool key Escape
wait_window_gone '^Unsaved changes$'
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "Cancel ended the program"
click_at 20 14
wait_for_window '^Unsaved changes$'
xdotool key alt+s
wait_for_window '^Save'
xdotool key ctrl+a
xdotool type --delay 20 "$SCRATCH/saved.map"
xdotool key Return
wait_for_exit 10 || fail "quit did not go on after the save"
[[ "$(map_info "$SCRATCH/saved.map")" == *"blocks 2 sprites 0" ]] || fail "the save before quit wrote $(map_info "$SCRATCH/saved.map")"
[ ! -e "$AUTOSAVE" ] || fail "a quit after saving left the autosave"
log "quit asks: Escape cancels, Alt+S saves through the chooser, then quits"

# Load with unsaved changes: Alt+D discards; undo brings back the world the
# load replaced; Return saves it under the current name.
start_app saved.map --autosave 1
step_back_to_start_block
click_at "$BLOCK_X" "$BLOCK_Y"
click_at 105 14
wait_for_window '^Unsaved changes$'
xdotool key alt+d
wait_for_window '^Open'
xdotool key ctrl+l
sleep 0.3
xdotool type --delay 20 "$SCRATCH/saved.map"
xdotool key Return
wait_window_gone '^Open'
xdotool key ctrl+z
sleep 0.3
click_at 20 14
wait_for_window '^Unsaved changes$'
xdotool key Return
wait_for_window '^Save'
xdotool key Return
wait_for_window '^Replace File$'
xdotool key alt+r
wait_for_exit 10 || fail "quit did not go on after saving under the current name"
[[ "$(map_info "$SCRATCH/saved.map")" == *"blocks 3 sprites 0" ]] || fail "undoing the load and saving wrote $(map_info "$SCRATCH/saved.map")"
log "load asks: Alt+D discards; undo restores the world before the load; Return saves"

# Autosave and recovery after SIGKILL.
start_app --autosave 1
step_back_to_start_block
click_at "$BLOCK_X" "$BLOCK_Y"
wait_for_autosave 2 10
click_at "$BLOCK_X" "$BLOCK_Y"
wait_for_autosave 3 10
[ "$(stat -c %a "$XDG_STATE_HOME/tamotown")" = 700 ] || fail "the autosave folder is not private"
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null
APP_PID=""
(cd "$SCRATCH" && exec "$TAMOTOWN" --autosave 1 >"$SCRATCH/stdout.txt" 2>"$SCRATCH/stderr.txt") &
APP_PID=$!
wait_for_window '^Recover unsaved work$'
xdotool key Return
wait_window_gone '^Recover unsaved work$'
sleep 0.5
save_world_as "$SCRATCH/recovered.map"
[[ "$(map_info "$SCRATCH/recovered.map")" == *"blocks 3 sprites 0" ]] || fail "the recovered world holds $(map_info "$SCRATCH/recovered.map")"
log "after SIGKILL the autosave is recovered with every edit"

# A second program leaves the first's autosave alone and says so.
"$TAMOTOWN" --windowed --autosave 1 >/dev/null 2>"$SCRATCH/second.txt" &
SECOND=$!
for ((i = 0; i < 100; i++)); do
    grep -q "does not autosave" "$SCRATCH/second.txt" && break
    sleep 0.1
done
kill -9 "$SECOND" 2>/dev/null
wait "$SECOND" 2>/dev/null
grep -q "does not autosave" "$SCRATCH/second.txt" || fail "a second program did not say it does not autosave"
quit_without_question "after saving the recovered world"
[ ! -e "$AUTOSAVE" ] || fail "a clean exit left the autosave"
log "a second program does not autosave; a clean exit removes the autosave"
echo "PASS"
