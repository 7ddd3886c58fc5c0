#!/usr/bin/env bash
# "cmake --install" into a temporary prefix puts the program in bin/, the
# media in share/tamotown, a valid desktop entry that passes the file it is
# opened with, and the generated icon; the installed program, started from
# an empty folder, draws the same first frame as the one in the build folder.
source "$(dirname "$0")/common.bash"

PREFIX="$SCRATCH/prefix"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$SCRATCH/install.txt" 2>&1 ||
    fail "cmake --install failed: $(tail -n 3 "$SCRATCH/install.txt")"
[ -x "$PREFIX/bin/tamotown" ] || fail "no bin/tamotown"
for file in TamoData.arc pip.wav Textures/0_64_64.raw; do
    [ -f "$PREFIX/share/tamotown/$file" ] || fail "no share/tamotown/$file"
done
ENTRY="$PREFIX/share/applications/tamotown.desktop"
desktop-file-validate "$ENTRY" || fail "the desktop entry does not validate"
grep -qE '^Exec=tamotown %[fF]$' "$ENTRY" || fail "the desktop entry does not pass its file: $(grep Exec "$ENTRY")"
ICON="$PREFIX/share/icons/hicolor/128x128/apps/tamotown.png"
[ "$(/usr/bin/identify -format '%wx%h' "$ICON" 2>/dev/null)" = 128x128 ] || fail "no 128 x 128 icon at $ICON"
log "installed: program, media, desktop entry and icon"

# The same first frame, with the pointer resting in the same place.
xdotool mousemove 320 300
TAMOTOWN_BUILT="$TAMOTOWN"
shot "$SCRATCH/before-built.ppm"
(cd "$BUILD_DIR" && exec "$TAMOTOWN_BUILT" >"$SCRATCH/built-out.txt" 2>"$SCRATCH/built-err.txt") &
APP_PID=$!
wait_for_first_frame "$SCRATCH/before-built.ppm"
shot "$SCRATCH/built.ppm"
kill -TERM "$APP_PID"
wait_for_exit 30 || fail "the built program did not end"

mkdir -p "$SCRATCH/empty"
SCRATCH_ROOT="$SCRATCH"
SCRATCH="$SCRATCH_ROOT/empty"
TAMOTOWN="$PREFIX/bin/tamotown"
start_app
shot "$SCRATCH_ROOT/installed.ppm"
[ ! -s "$SCRATCH/stderr.txt" ] || fail "the installed program complained: $(head -n 2 "$SCRATCH/stderr.txt")"
kill -TERM "$APP_PID"
wait_for_exit 30 || fail "the installed program did not end"
SCRATCH="$SCRATCH_ROOT"
differ=$(changed_pixels "$SCRATCH/built.ppm" "$SCRATCH/installed.ppm" 0 0 639 479)
[ "$differ" -lt 20 ] || fail "the installed program's first frame differs in $differ pixels"
log "the installed program, started from an empty folder, draws the same first frame"

# As the desktop starts it: the Exec line with the file it is opened with.
printf 'not a world' > "$SCRATCH/opened.map"
command=$(sed -n 's/^Exec=//p' "$ENTRY")
command=${command/\%[fF]/$SCRATCH/opened.map}
shot "$SCRATCH/before-entry.ppm"
(cd "$SCRATCH/empty" && PATH="$PREFIX/bin:$PATH" exec $command >/dev/null 2>"$SCRATCH/entry-err.txt") &
APP_PID=$!
wait_for_first_frame "$SCRATCH/before-entry.ppm"
grep -qF "$SCRATCH/opened.map" "$SCRATCH/entry-err.txt" || fail "the desktop command did not hand over its file"
kill -TERM "$APP_PID"
wait_for_exit 30 || fail "the program started by the desktop command did not end"
log "the desktop command opens the file it is given"
echo "PASS"
