#!/usr/bin/env bash
# Drives the window probe with real X input: keys, moves, clicks and a double
# click arrive as window events; Q ends the run loop with the quit code,
# Escape closes the window, and SIGTERM closes it exactly once.
set -uo pipefail

if [ -z "${TAMO_WINDOW_E2E_UNDER_XVFB:-}" ]; then
    export TAMO_WINDOW_E2E_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash "$0" "$@"
fi

BUILD_DIR=$(readlink -f "${2:?build folder}")
PROBE="${TAMO_TEST_BIN:-$BUILD_DIR/tests}/probe_window_probe"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy GSETTINGS_BACKEND=memory
SCRATCH=$(mktemp -d /tmp/tamo-window-e2e.XXXXXX)
PROBE_PID=""

fail() {
    echo "FAIL [window_events]: $*" >&2
    [ -f "$SCRATCH/out.txt" ] && { echo "--- probe output ---" >&2; cat "$SCRATCH/out.txt" >&2; }
    exit 1
}

cleanup() {
    if [ -n "$PROBE_PID" ] && kill -0 "$PROBE_PID" 2>/dev/null; then
        kill -9 "$PROBE_PID" 2>/dev/null
    fi
    rm -rf "$SCRATCH"
}
trap cleanup EXIT

[ -x "$PROBE" ] || fail "no probe program at $PROBE"

start_probe() {
    : >"$SCRATCH/out.txt"
    "$PROBE" "$@" >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" &
    PROBE_PID=$!
    timeout 20 xdotool search --sync --onlyvisible --name '^Tamotown$' >/dev/null 2>&1 ||
        fail "the Tamotown window did not appear"
    wait_for_line '^first frame$' 10
    # Input focus arrives a little after the window is mapped; the program
    # reports it as the window turning active.
    wait_for_line '^active 1$' 10
}

# Waits up to $2 seconds for a line matching $1 in the probe's output.
wait_for_line() {
    for ((i = 0; i < $2 * 10; i++)); do
        grep -q -- "$1" "$SCRATCH/out.txt" && return 0
        sleep 0.1
    done
    fail "no line matching '$1'"
}

# Waits up to $1 seconds for the probe to end; sets STATUS to its exit status.
wait_for_exit() {
    for ((i = 0; i < $1 * 10; i++)); do
        if ! kill -0 "$PROBE_PID" 2>/dev/null; then
            wait "$PROBE_PID"
            STATUS=$?
            PROBE_PID=""
            return 0
        fi
        sleep 0.1
    done
    fail "the probe did not end"
}

expect_line() {
    grep -q -- "$1" "$SCRATCH/out.txt" || fail "$2"
}

# 1. Keys, moves and clicks in a 400 x 300 window centred on the screen.
start_probe
read -r _ _ LEFT TOP < <(grep '^opened client' "$SCRATCH/out.txt")
[ "$LEFT" = 120 ] && [ "$TOP" = 90 ] || fail "client area at ($LEFT, $TOP), expected the centre (120, 90)"

xdotool key a
wait_for_line '^key 65 ' 5
# The key was still held when its event arrived, or latched as pressed.
expect_line '^key 65 held=1 ' "A key down did not show in the key state"
xdotool key F5 Left KP_3 BackSpace Delete 7
wait_for_line '^key 55 ' 5
for code in 116 37 99 8 46; do
    expect_line "^key $code " "key code $code did not arrive"
done

# Shift held while H goes down shows in the key state; after its release it does not.
xdotool keydown shift key h keyup shift
wait_for_line '^key 72 ' 5
expect_line '^key 72 held=1 shift=1$' "a held Shift did not show while H went down"
xdotool key j
wait_for_line '^key 74 ' 5
expect_line '^key 74 held=1 shift=0$' "Shift still showed after its release"

xdotool mousemove 220 190
wait_for_line '^mouse 0 100 100$' 5
xdotool click 3
wait_for_line '^mouse 3 ' 5
expect_line '^mouse 4 100 100$' "right press missing"
sleep 0.6  # so the next click does not pair with the right one
xdotool click --repeat 2 --delay 60 1
wait_for_line '^mouse 5 ' 5
# First a press, then the double click instead of a second press, each released.
MOUSE=$(grep -E '^mouse [1256] ' "$SCRATCH/out.txt" | cut -d' ' -f2 | tr -d '\n')
[ "$MOUSE" = 2151 ] || fail "left clicks gave mouse codes $MOUSE, expected 2151"

xdotool key q
wait_for_exit 30
[ "$STATUS" = 7 ] || fail "Q should end the run loop with quit code 7, got $STATUS"
expect_line '^exit 7$' "runApplication did not return the quit code"

# 2. Escape deletes the window; the empty registry ends the loop with 0.
start_probe
xdotool key Escape
wait_for_exit 30
[ "$STATUS" = 0 ] || fail "closing the last window should end with 0, got $STATUS"
[ "$(grep -c '^destroyed$' "$SCRATCH/out.txt")" = 1 ] || fail "Escape did not destroy the window once"

# 3. A termination request closes the window exactly once, full screen too.
start_probe fullscreen
expect_line '^opened client 0 0$' "the full-screen window is not at the screen origin"
kill -TERM "$PROBE_PID"
wait_for_exit 30
[ "$STATUS" = 0 ] || fail "SIGTERM should close the window and end with 0, got $STATUS"
[ "$(grep -c '^destroyed$' "$SCRATCH/out.txt")" = 1 ] || fail "SIGTERM did not destroy the window exactly once"

echo "window events: all checks passed"
