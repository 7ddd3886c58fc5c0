#!/usr/bin/env bash
# Started in a folder without media, from a folder without media, the
# program says so in one line naming the archive and every place it looked
# in, and still runs; a loose texture that cannot be used is named too. The
# quit message (SIGTERM) ends it with exit code 0. Without a display it ends
# at once with a failure code, also when SDL could fall back to a driver that
# shows nothing.
source "$(dirname "$0")/common.bash"

# A copy of the program away from the build folder, whose media it would find.
mkdir -p "$SCRATCH/bin"
cp "$TAMOTOWN" "$SCRATCH/bin/tamotown" || fail "cannot copy the program"
TAMOTOWN="$SCRATCH/bin/tamotown"
mkdir -p "$SCRATCH/Textures"
printf 'abc' > "$SCRATCH/Textures/3_16_16.raw"
start_app
shot "$SCRATCH/bare.ppm"

archive_lines=$(grep -c "TamoData.arc" "$SCRATCH/stderr.txt")
[ "$archive_lines" = 1 ] || fail "expected one line about TamoData.arc on standard error, got $archive_lines"
grep "TamoData.arc" "$SCRATCH/stderr.txt" | grep -qF "looked in $SCRATCH, $SCRATCH/bin, $SCRATCH/share/tamotown" ||
    fail "the missing-archive line does not name the working directory, the program's folder and the data folder"
grep "3_16_16.raw" "$SCRATCH/stderr.txt" | grep -qF "$SCRATCH" ||
    fail "the short texture file is not reported with the working directory"
# Panels without their sheet, and a preview of a texture never loaded, are
# left out rather than drawn as blank rectangles.
blank=$(count_colour "$SCRATCH/bare.ppm" 0 0 639 479 255 255 255)
[ "$blank" = 0 ] || fail "$blank white pixels drawn without media"

log "missing media reported: $(grep -c . "$SCRATCH/stderr.txt") lines"

# Still running after some frames of walking.
hold_key Down 0.1
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended without its media"

kill -TERM "$APP_PID"
wait_for_exit 30 || fail "SIGTERM did not end the program"
[ "$APP_STATUS" = 0 ] || fail "exit code $APP_STATUS after SIGTERM"
log "the quit message ends the program with exit code 0"

# Without a display the window cannot open: the program says so and ends
# with a failure code instead of running on unseen.
(cd "$SCRATCH" && exec env -u DISPLAY timeout -s KILL 20 "$TAMOTOWN" >/dev/null 2>"$SCRATCH/nodisplay.txt")
status=$?
[ "$status" != 137 ] || fail "without a display the program did not end"
[ "$status" != 0 ] || fail "without a display the program ended with exit code 0"
grep -q "Tamotown" "$SCRATCH/nodisplay.txt" || fail "without a display nothing was said on standard error"
log "without a display: exit code $status, $(head -n 1 "$SCRATCH/nodisplay.txt")"

# With no display and no driver asked for, SDL would fall back to a driver
# that shows nothing; the program refuses it, says how to get a display and
# ends with exit code 1.
(cd "$SCRATCH" && exec env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY \
    timeout -s KILL 20 "$TAMOTOWN" >/dev/null 2>"$SCRATCH/unseen.txt")
status=$?
[ "$status" = 1 ] || fail "with no display and no driver asked for the exit code is $status, expected 1"
lines=$(grep -c "no display found" "$SCRATCH/unseen.txt")
[ "$lines" = 1 ] || fail "expected one line saying no display was found, got $lines: $(cat "$SCRATCH/unseen.txt")"
grep "no display found" "$SCRATCH/unseen.txt" | grep -q "DISPLAY" ||
    fail "the no-display line does not say how to get a display"
log "no driver asked for: exit code $status, $(grep "no display found" "$SCRATCH/unseen.txt")"
echo "PASS"
