#!/usr/bin/env bash
# Nothing is lost however the run ends: a pipe given to --info, --export or
# on the command line is refused without hanging; a second program autosaves
# to its own slot; a stroke still being drawn is autosaved as it grows;
# SIGTERM or SIGQUIT while a dialog is open closes it and keeps the work, as
# do SIGHUP and the X server going away; a save over a file another program changed asks first; an
# autosave left behind is offered even with --autosave 0; a last write that
# fails ends the run non-zero.
source "$(dirname "$0")/common.bash"

STATE="$XDG_STATE_HOME/tamotown"
AUTOSAVE="$STATE/autosave.map"
copy_media

blocks_in() { "$PYTHON" "$E2E_DIR/map_file_info.py" "$1" 2>/dev/null | sed -n 's/.*blocks \([0-9]*\) .*/\1/p'; }

# Waits up to $2 seconds until the autosave holds more than $1 blocks; sets COUNT.
wait_for_autosave_above() {
    for ((i = 0; i < $2 * 10; i++)); do
        COUNT=$(blocks_in "$AUTOSAVE")
        [ -n "$COUNT" ] && [ "$COUNT" -gt "$1" ] && return 0
        sleep 0.1
    done
    fail "the autosave did not come to hold more than $1 blocks"
}

# Waits until the program ends (up to $1 seconds) with exit code $2.
expect_exit() {
    wait_for_exit "$1" || fail "the program did not end: $3"
    [ "$APP_STATUS" = "$2" ] || fail "exit code $APP_STATUS, not $2: $3"
}

mkfifo "$SCRATCH/pipe.map"
timeout 60 "$TAMOTOWN" --info "$SCRATCH/pipe.map" >/dev/null 2>"$SCRATCH/info.txt"
timeout 60 "$TAMOTOWN" --export "$SCRATCH/pipe.map" "$SCRATCH/out.obj" >/dev/null 2>>"$SCRATCH/info.txt"
[ "$(grep -c "pipe.map: it is not a regular file" "$SCRATCH/info.txt")" = 2 ] ||
    fail "--info and --export did not refuse the pipe as not a regular file: $(cat "$SCRATCH/info.txt")"
# An empty world (no sectors, no figures) to start from, made without a dialog.
"$PYTHON" -c 'import struct, sys; open(sys.argv[1], "wb").write(struct.pack("<ii", 0, 0))' "$SCRATCH/city.map"
start_app city.map --autosave 1

# The second program is given the pipe to open: it says so and goes on.
"$TAMOTOWN" --windowed --autosave 1 "$SCRATCH/pipe.map" >/dev/null 2>"$SCRATCH/second.txt" &
SECOND=$!
for ((i = 0; i < 300; i++)); do
    grep -q "pipe.map failed: it is not a regular file" "$SCRATCH/second.txt" && break
    sleep 0.1
done
# Each running program holds its own slot's lock; a program's end frees it.
if flock -n "$STATE/autosave.lock" true || flock -n "$STATE/autosave-2.lock" true; then
    kill -9 "$SECOND" 2>/dev/null
    fail "a running program's autosave slot is not locked"
fi
kill -9 "$SECOND" 2>/dev/null
wait "$SECOND" 2>/dev/null
grep -q "autosaves to $STATE/autosave-2.map" "$SCRATCH/second.txt" ||
    fail "a second program did not autosave to a slot of its own"
flock -n "$STATE/autosave-2.lock" true || fail "the slot of a program that ended stayed locked"
grep -q "pipe.map failed: it is not a regular file" "$SCRATCH/second.txt" ||
    fail "the pipe named on the command line was not refused: $(cat "$SCRATCH/second.txt")"
log "a pipe is refused at once by --info, --export and on the command line; a second program autosaves to autosave-2.map"

# A plan-view stroke: the autosave follows it while the button is held.
click_at 620 14
xdotool mousemove 300 250
sleep 0.3
xdotool mousedown 1
for x in 305 310 315 320; do xdotool mousemove "$x" 250; sleep 0.1; done
wait_for_autosave_above 0 20
first=$COUNT
for x in 335 350 365 380 395 410; do xdotool mousemove "$x" 250; sleep 0.1; done
wait_for_autosave_above "$first" 20
held=$COUNT
xdotool mouseup 1
log "a stroke still held is autosaved as it grows ($first, then $held blocks)"
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null
APP_PID=""

# Offered also with autosave off; SIGTERM while "Recover unsaved work" is
# open: the autosave stays for later.
launch_app --autosave 0
wait_for_window '^Recover unsaved work$'
kill -TERM "$APP_PID"
expect_exit 30 0 "SIGTERM with the recovery question open"
[ "$(blocks_in "$AUTOSAVE")" = "$held" ] || fail "the autosave was not kept for the next start"
ls "$STATE" | grep -q discarded && fail "the unanswered question discarded the autosave"

# Recovered (unsaved); SIGQUIT while "Unsaved changes" is open writes it.
launch_app --autosave 600
wait_for_window '^Recover unsaved work$'
xdotool key Return
wait_window_gone '^Recover unsaved work$'
click_at 20 14
wait_for_window '^Unsaved changes$'
rm "$AUTOSAVE"
kill -QUIT "$APP_PID"
expect_exit 30 0 "SIGQUIT with the unsaved-changes question open"
[ "$(blocks_in "$AUTOSAVE")" = "$held" ] || fail "SIGQUIT in a dialog did not write the autosave"
log "SIGTERM and SIGQUIT in a dialog close it and keep the work"

# Another program replaces city.map: saving over it asks, Escape keeps
# theirs. Then SIGHUP (the terminal closed) writes the autosave.
launch_app --autosave 600
wait_for_window '^Recover unsaved work$'
xdotool key Return
wait_window_gone '^Recover unsaved work$'
cp "$SCRATCH/city.map" "$SCRATCH/theirs.map" && echo >>"$SCRATCH/theirs.map"
mv "$SCRATCH/theirs.map" "$SCRATCH/city.map"
theirs=$(md5sum <"$SCRATCH/city.map")
click_at 60 14
wait_for_window '^Save'
xdotool key Return
wait_for_window '^Replace File$'
xdotool key alt+r
wait_for_window '^The file was changed by another program$'
xdotool key Escape
wait_window_gone '^The file was changed by another program$'
[ "$(md5sum <"$SCRATCH/city.map")" = "$theirs" ] || fail "the other program's file was replaced"
rm "$AUTOSAVE"
kill -HUP "$APP_PID"
expect_exit 30 0 "SIGHUP"
[ "$(blocks_in "$AUTOSAVE")" = "$held" ] || fail "SIGHUP did not write the autosave"
log "a file changed elsewhere is asked about; SIGHUP keeps the work"

# The X server goes away: the work is written before the program ends.
start_second_display
OWN_DISPLAY=$DISPLAY
export DISPLAY=":$SECOND_DISPLAY"
launch_app --autosave 600
wait_for_window '^Recover unsaved work$'
xdotool key Return
wait_window_gone '^Recover unsaved work$'
rm "$AUTOSAVE"
kill "$SECOND_XPID"
wait "$SECOND_XPID" 2>/dev/null
export DISPLAY=$OWN_DISPLAY
expect_exit 30 1 "the X server gone"
[ "$(blocks_in "$AUTOSAVE")" = "$held" ] || fail "the X server's end lost the work"
grep -q "connection to the display was lost" "$SCRATCH/stderr.txt" || fail "the lost display was not told"
log "the X server gone: the work is autosaved, exit code 1"

# SIGTERM while the file chooser is open, with the autosave's name taken by a
# folder: the chooser closes, the last write fails, and the run says so and
# ends non-zero instead of looking successful.
launch_app --autosave 600
wait_for_window '^Recover unsaved work$'
xdotool key Return
wait_window_gone '^Recover unsaved work$'
click_at 60 14
wait_for_window '^Save'
mv "$AUTOSAVE" "$SCRATCH/kept.map" && mkdir "$AUTOSAVE"
kill -TERM "$APP_PID"
expect_exit 30 1 "SIGTERM in the chooser with the last autosave failing"
grep -q "could not be autosaved" "$SCRATCH/stderr.txt" || fail "the failed last write was not told"
log "SIGTERM in the chooser closes it; a failed last write ends with exit code 1"
echo "PASS"
