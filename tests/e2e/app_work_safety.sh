#!/usr/bin/env bash
# Work is never lost: unsaved work is autosaved (and the autosave goes when
# undo makes the world unchanged); Ctrl+Z and Ctrl+Y undo and redo with a
# caption; with unsaved changes quit and load ask "Unsaved changes" (Escape
# cancels, Alt+S saves through the chooser and goes on, Alt+D discards,
# Return saves under the current name); after SIGKILL the next start offers
# to recover the autosave and every edit is back; undo brings back the world
# a load replaced; a second program leaves the first's autosave alone.
source "$(dirname "$0")/common.bash"

AUTOSAVE="$XDG_STATE_HOME/tamotown/autosave.map"
copy_media

caption_red() {
    shot "$SCRATCH/caption.ppm"
    count_colour "$SCRATCH/caption.ppm" 180 215 460 265 255 40 40
}

# True once a caption shows that differs from the one in $1 (a screenshot;
# an empty name takes any caption).
caption_shows_other_than() {
    [ "$(caption_red)" -gt 80 ] || return 1
    [ -z "$1" ] || [ "$(changed_pixels "$1" "$SCRATCH/caption.ppm" 180 215 460 265)" -gt 40 ]
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

# Autosave, undo with its captions, and quit with unsaved changes: Escape
# cancels, Alt+S saves through the chooser and goes on.
start_app --autosave 1
# The first frames after start are long under the sanitizers; a step back
# taken during one of them would fly far past the block.
xdotool mousemove 320 300
sleep 1.5
step_back_to_start_block
click_at "$BLOCK_X" "$BLOCK_Y"
wait_for_autosave 2 10
[ "$(stat -c %a "$XDG_STATE_HOME/tamotown")" = 700 ] || fail "the autosave folder is not private"
xdotool key ctrl+z
wait_until 20 "Ctrl+Z showed no caption" caption_shows_other_than ""
cp "$SCRATCH/caption.ppm" "$SCRATCH/undo-caption.ppm"
xdotool key ctrl+z
wait_until 20 "a second Ctrl+Z showed no NOTHING TO UNDO caption" \
    caption_shows_other_than "$SCRATCH/undo-caption.ppm"
for ((i = 0; i < 30; i++)); do [ -e "$AUTOSAVE" ] || break; sleep 0.1; done
[ ! -e "$AUTOSAVE" ] || fail "the autosave stayed after undo made the world unchanged"
xdotool key ctrl+y
sleep 0.3
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
wait_for_exit 30 || fail "quit did not go on after the save"
[ "$APP_STATUS" = 0 ] || fail "exit code $APP_STATUS after the save and quit"
[[ "$(map_info "$SCRATCH/saved.map")" == *"blocks 2 sprites 0" ]] || fail "the redone block was not saved: $(map_info "$SCRATCH/saved.map")"
[ ! -e "$AUTOSAVE" ] || fail "a quit after saving left the autosave"
log "autosave; Ctrl+Z, Ctrl+Y; quit asks: Escape cancels, Alt+S saves, then quits"

# Edit, wait for the autosave, SIGKILL.
start_app saved.map --autosave 1
xdotool mousemove 320 300
sleep 1.5
step_back_to_start_block
click_at "$BLOCK_X" "$BLOCK_Y"
wait_for_autosave 3 10
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null
APP_PID=""

# The next start offers the autosave; Return recovers it, unsaved.
(cd "$SCRATCH" && exec "$TAMOTOWN" saved.map --autosave 1 >"$SCRATCH/stdout.txt" 2>"$SCRATCH/stderr.txt") &
APP_PID=$!
wait_for_window '^Recover unsaved work$'
xdotool key Return
wait_window_gone '^Recover unsaved work$'
sleep 0.5

# A second program leaves the first's autosave alone and says where it
# autosaves instead.
"$TAMOTOWN" --windowed --autosave 1 >/dev/null 2>"$SCRATCH/second.txt" &
SECOND=$!
for ((i = 0; i < 100; i++)); do
    grep -q "autosaves to .*/autosave-2.map" "$SCRATCH/second.txt" && break
    sleep 0.1
done
kill -9 "$SECOND" 2>/dev/null
wait "$SECOND" 2>/dev/null
grep -q "autosaves to .*/autosave-2.map" "$SCRATCH/second.txt" || fail "a second program did not say where it autosaves"
[ -e "$AUTOSAVE" ] || fail "the second program removed the first's autosave"

# Load asks (the recovered work is unsaved): Alt+D discards; undo brings the
# recovered world back; quit asks, Return saves under the current name.
click_at 105 14
wait_for_window '^Unsaved changes$'
xdotool key alt+d
wait_for_window '^Open'
xdotool key ctrl+l
sleep 0.3
xdotool type --delay 20 "$SCRATCH/saved.map"
xdotool key Return
wait_window_gone '^Open' Return
xdotool key ctrl+z
sleep 0.3
click_at 20 14
wait_for_window '^Unsaved changes$'
xdotool key Return
wait_for_window '^Save'
xdotool key Return
wait_for_window '^Replace File$'
xdotool key alt+r
wait_for_exit 30 || fail "quit did not go on after saving under the current name"
[[ "$(map_info "$SCRATCH/saved.map")" == *"blocks 3 sprites 0" ]] || fail "the recovered world, saved, holds $(map_info "$SCRATCH/saved.map")"
[ ! -e "$AUTOSAVE" ] || fail "a clean exit left the autosave"
log "recovered after SIGKILL with every edit; load asks; undo of a load; Return saves"
echo "PASS"
