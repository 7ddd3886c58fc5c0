# Shared helpers of the Tamotown end-to-end scripts (sourced, not a test).
#
# A script sources this file with the path of tamotown and the build folder as
# $1 and $2. It re-runs itself under its own Xvfb, copies the generated media
# into a scratch folder and starts the program there. Every helper fails the
# script with a message; the trap stops the program and removes the folder.

set -uo pipefail

if [ -z "${TAMO_E2E_UNDER_XVFB:-}" ]; then
    export TAMO_E2E_UNDER_XVFB=1
    # A script may ask for a larger screen (TAMO_E2E_SCREEN=1600x1200x24).
    exec xvfb-run -a -s "-screen 0 ${TAMO_E2E_SCREEN:-640x480x24} -noreset" bash "$0" "$@"
fi

TAMOTOWN=$(readlink -f "${1:?path of tamotown}")
BUILD_DIR=$(readlink -f "${2:?build folder}")
E2E_DIR=$(dirname "$(readlink -f "$0")")
PYTHON=/usr/bin/python3
[ -x "$PYTHON" ] || PYTHON=python3
IMPORT=/usr/bin/import
[ -x "$IMPORT" ] || IMPORT=import
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy GSETTINGS_BACKEND=memory

SCRATCH=$(mktemp -d /tmp/tamo-e2e.XXXXXX)
# The program's autosave folder lies in the scratch folder, never the user's.
export XDG_STATE_HOME="$SCRATCH/state"
# So does its data folder, where the marker of an earlier start is put
# before: a first start's caption would cover the start view the scripts
# look at. A script that wants the first start removes it.
export XDG_DATA_HOME="$SCRATCH/data"
mkdir -p "$XDG_DATA_HOME/tamotown" && : >"$XDG_DATA_HOME/tamotown/started-before"

APP_PID=""
APP_STATUS=""

log() { echo "[$(basename "$0")] $*"; }

fail() {
    echo "FAIL [$(basename "$0")]: $*" >&2
    # Keep the screen at the moment of failure for a look.
    local kept="$BUILD_DIR/e2e-failures"
    mkdir -p "$kept" && "$IMPORT" -window root "$kept/$(basename "$0" .sh).png" 2>/dev/null &&
        echo "screen at failure: $kept/$(basename "$0" .sh).png" >&2
    if [ -s "$SCRATCH/stderr.txt" ]; then
        echo "--- program stderr ---" >&2
        tail -n 20 "$SCRATCH/stderr.txt" >&2
    fi
    exit 1
}

cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null
        for ((i = 0; i < 10; i++)); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.05; done
        kill -9 "$APP_PID" 2>/dev/null
    fi
    rm -rf "$SCRATCH"
}
trap cleanup EXIT

copy_media() {
    [ -f "$BUILD_DIR/TamoData.arc" ] || fail "no generated TamoData.arc in $BUILD_DIR"
    cp "$BUILD_DIR/TamoData.arc" "$SCRATCH/" || fail "cannot copy the archive"
    [ -d "$BUILD_DIR/Textures" ] && cp -r "$BUILD_DIR/Textures" "$SCRATCH/"
    [ -f "$BUILD_DIR/pip.wav" ] && cp "$BUILD_DIR/pip.wav" "$SCRATCH/"
    return 0
}

# Starts tamotown in the scratch folder with the arguments given and waits
# until its window shows its first frame and has input focus.
start_app() {
    launch_app "$@"
    wait_for_first_frame "$SCRATCH/before-start.ppm"
    kill -0 "$APP_PID" 2>/dev/null || fail "tamotown ended right after start"
}

# Starts tamotown as start_app does without waiting for anything; the screen
# before the start is in $SCRATCH/before-start.ppm.
launch_app() {
    shot "$SCRATCH/before-start.ppm"
    (cd "$SCRATCH" && exec "$TAMOTOWN" "$@" >"$SCRATCH/stdout.txt" 2>"$SCRATCH/stderr.txt") &
    APP_PID=$!
}

# The ids of the visible windows that `xdotool search` finds with these
# arguments (e.g. --name '^Tamotown$'), one a line. The search walks the
# server's whole window tree; a window that closes meanwhile makes it die of
# an X error, which is not "none found": such a search is asked again.
find_windows() {
    local out tries
    for tries in 1 2 3 4 5 6 7 8 9 10; do
        out=$(xdotool search --onlyvisible "$@" 2>"$SCRATCH/search-errors.txt")
        grep -q 'X Error' "$SCRATCH/search-errors.txt" || break
        sleep 0.05
    done
    printf '%s\n' "$out"
}

# Waits up to $1 seconds for a window that find_windows finds with the other
# arguments and prints the first one's id; false when none came.
wait_for_window_id() {
    local deadline=$((SECONDS + $1)) id
    shift
    while :; do
        id=$(find_windows "$@" | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# Waits until the Tamotown window shows, has input focus and holds a drawn
# frame: its area differs from the screenshot $1, taken before the program
# started, and two screenshots in a row agree. A mapped window is not yet a
# drawn one, least of all on a busy machine, where a sanitizer build may take
# most of a minute to start; the limit only matters when something is wrong.
# A frame that looks like the screen before (black, without media) counts
# once it has held for five seconds.
wait_for_first_frame() {
    local id X Y WIDTH HEIGHT SCREEN WINDOW deadline=$((SECONDS + 60))
    id=$(wait_for_window_id 60 --name '^Tamotown$') || fail "the Tamotown window did not appear"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    local area=("$X" "$Y" $((X + WIDTH - 1)) $((Y + HEIGHT - 1))) unchanged_until=$((SECONDS + 5))
    shot "$SCRATCH/frame-a.ppm"
    while :; do
        shot "$SCRATCH/frame-b.ppm"
        if [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] &&
            { ((SECONDS >= unchanged_until)) ||
                [ "$(probe same "$1" "$SCRATCH/frame-b.ppm" "${area[@]}")" = 0 ]; } &&
            [ "$(probe same "$SCRATCH/frame-a.ppm" "$SCRATCH/frame-b.ppm" "${area[@]}")" = 1 ]; then
            return 0
        fi
        ((SECONDS < deadline)) || fail "the Tamotown window showed no steady frame with focus"
        mv "$SCRATCH/frame-b.ppm" "$SCRATCH/frame-a.ppm"
        sleep 0.1
    done
}

# Starts a second X server beside the script's own (Xvfb, with the arguments
# given added) and sets SECOND_DISPLAY to its number and SECOND_XPID to its
# process; the caller ends it.
start_second_display() {
    rm -f "$SCRATCH/display"
    Xvfb -displayfd 5 -screen 0 640x480x24 -nolisten tcp "$@" 5>"$SCRATCH/display" 2>/dev/null &
    SECOND_XPID=$!
    for ((i = 0; i < 300; i++)); do [ -s "$SCRATCH/display" ] && break; sleep 0.1; done
    SECOND_DISPLAY=$(head -n 1 "$SCRATCH/display")
    [ -n "$SECOND_DISPLAY" ] || { kill "$SECOND_XPID"; fail "a second X server did not start"; }
}

# Waits up to $1 seconds for the program to end; sets APP_STATUS.
wait_for_exit() {
    local limit=$(( $1 * 10 ))
    for ((i = 0; i < limit; i++)); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            wait "$APP_PID"
            APP_STATUS=$?
            APP_PID=""
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Runs the command after $1 and $2 every tenth of a second until it succeeds;
# fails the script with the reason $2 when $1 seconds pass first. Under the
# sanitizers on a busy machine a frame can take most of a second; the limit
# only matters when something is wrong.
wait_until() {
    local deadline=$((SECONDS + $1)) reason=$2
    shift 2
    until "$@"; do
        ((SECONDS < deadline)) || fail "$reason"
        sleep 0.1
    done
}

# Waits up to $3 seconds until file $1 holds a line matching $2.
wait_for_line() {
    for ((i = 0; i < $3 * 10; i++)); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "no line like '$2' in $1: $(tail -n 5 "$1" 2>/dev/null)"
}

# Starts a server of city file $2 in folder $1 at a free port (another run
# may hold the first one tried); sets SERVER_PID and PORT, its log in
# $SCRATCH/server.txt.
start_server() {
    mkdir -p "$1"
    for try in 1 2 3; do
        PORT=$((20000 + RANDOM % 20000))
        (cd "$1" && exec "$TAMOTOWN" --serve "$2" --port "$PORT" 2>"$SCRATCH/server.txt") &
        SERVER_PID=$!
        for ((i = 0; i < 300; i++)); do
            grep -q "^serving" "$SCRATCH/server.txt" 2>/dev/null && return 0
            kill -0 "$SERVER_PID" 2>/dev/null || break
            sleep 0.1
        done
        log "the server did not start on port $PORT (try $try): $(cat "$SCRATCH/server.txt")"
    done
}

# Moves the pointer to (x, y) and clicks a mouse button there (default left).
# The button is held for a few frames, as a hand does: a press released
# before any frame saw it is not an edit. A frame takes under 10 ms, also
# under the sanitizers; the waits leave room for a machine busy with other
# tests.
click_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.1
    xdotool mousedown "${3:-1}"
    sleep 0.2
    xdotool mouseup "${3:-1}"
    sleep 0.25
}

# Holds a key for $2 seconds.
hold_key() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
    sleep 0.3
}

# Steps back from the start position so that the start block shows, and sets
# BLOCK_X and BLOCK_Y to the centre of its picture on screen. $1 names the key
# held to step back (default: the Down arrow).
step_back_to_start_block() {
    xdotool mousemove 320 300
    sleep 0.3
    shot "$SCRATCH/before-step.ppm"
    hold_key "${1:-Down}" 0.2
    shot "$SCRATCH/one-block.ppm"
    read -r BLOCK_X BLOCK_Y < <(changed_centre "$SCRATCH/before-step.ppm" "$SCRATCH/one-block.ppm" 150 60 490 340)
    [ "$BLOCK_X" != none ] || fail "the start block is not visible after stepping back"
}

# Waits for a visible window whose title matches $1 (a regular expression).
# Without a window manager nobody stacks or focuses a new window for the
# user, and under the sanitizers the program may be slower than the keys:
# raise and focus it as a window manager would before typing into it.
wait_for_window() {
    local id
    id=$(wait_for_window_id 60 --name "$1") || fail "no window titled like '$1' appeared"
    sleep 0.3
    xdotool windowraise "$id" windowfocus --sync "$id" >/dev/null 2>&1 || true
    sleep 0.2
}

# Waits until no visible window's title matches $1. With $2 (a key), the key
# is pressed once more when the window is still there after four seconds,
# the window raised and focused first: the file chooser's location field may
# take the first Return to accept its completion of the typed path, as a
# user sees it do, and without a window manager nothing keeps a dialog above
# the program's window. Under the sanitizers on a busy machine a chooser can
# take more than ten seconds to go; the limit only matters when something is
# wrong.
wait_window_gone() {
    local id again=$((SECONDS + 4)) deadline=$((SECONDS + 60))
    while ((SECONDS < deadline)); do
        id=$(find_windows --name "$1" | head -n 1)
        [ -n "$id" ] || { sleep 0.3; return 0; }
        if ((again > 0 && SECONDS >= again)) && [ -n "${2:-}" ]; then
            log "'$1' still open after four seconds: $2 once more"
            xdotool windowraise "$id" windowfocus --sync "$id" >/dev/null 2>&1
            xdotool key "$2"
            again=0
        fi
        sleep 0.1
    done
    fail "the window titled like '$1' did not close"
}

# Saves the world through the save button and the file chooser as path $1.
save_world_as() {
    click_at 60 14
    wait_for_window '^Save'
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    xdotool key Return
    wait_window_gone '^Save' Return
}

# Loads the world file $1 through the load button and the file chooser.
load_world_from() {
    click_at 105 14
    wait_for_window '^Open'
    xdotool key ctrl+l
    sleep 0.3
    xdotool type --delay 20 "$1"
    xdotool key Return
    wait_window_gone '^Open' Return
}

# Prints "sectors N blocks B sprites S" of a world file.
map_info() {
    "$PYTHON" "$E2E_DIR/map_file_info.py" "$1" || fail "$1 is not a sound world file"
}

# Screenshot of the whole screen as a binary PPM.
shot() {
    "$IMPORT" -window root -depth 8 "ppm:$1" 2>/dev/null || fail "screenshot failed"
}

probe() { "$PYTHON" "$E2E_DIR/screen_probe.py" "$@" || fail "screen probe $1 failed"; }
# "r g b" of pixel (x, y) of a screenshot.
pixel() { probe pixel "$@"; }
# Pixels differing between two screenshots inside x1 y1 x2 y2.
changed_pixels() { probe changed "$@"; }
# Pixels inside x1 y1 x2 y2 near the colour r g b.
count_colour() { probe count "$@"; }
# Distinct colours inside x1 y1 x2 y2.
distinct_colours() { probe distinct "$@"; }
# "x y" centre of the pixels changed between two screenshots inside x1 y1 x2 y2, or "none".
changed_centre() { probe centre "$@"; }

# Switches to the plan view and selects a box of 5 x 3 x 4 cells: a
# Shift-drag over 5 x 4 cells (cell edges lie every 16 pixels from the
# screen's left and top), grown two levels with Shift+Page Up.
select_plan_box() {
    click_at 620 14
    xdotool mousemove 200 200 keydown shift
    sleep 0.2
    xdotool mousedown 1
    sleep 0.3
    xdotool mousemove 240 220
    sleep 0.2
    xdotool mousemove 270 250
    sleep 0.4
    xdotool mouseup 1
    sleep 0.2
    xdotool key Prior Prior
    xdotool keyup shift
    sleep 0.3
}
