#!/usr/bin/env bash
# Frame statistics: with --stats a line of figures reaches standard error
# each second; F3 shows them in yellow in the bottom-left corner and hides
# them again.
source "$(dirname "$0")/common.bash"

copy_media
start_app --stats

# Waits up to $1 tenths of a second for command $2... to succeed.
wait_until() {
    local limit=$1
    shift
    for ((i = 0; i < limit; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
stats_lines() { grep -cE '^tamotown: [0-9.]+ fps, [0-9.]+ ms a frame, [0-9]+ of [0-9]+ quads, 1 of 1 sectors$' "$SCRATCH/stderr.txt"; }
two_lines() { [ "$(stats_lines)" -ge 2 ]; }
wait_until 100 two_lines || fail "--stats printed no line each second: $(head -c 300 "$SCRATCH/stderr.txt")"
log "--stats: $(grep -m1 fps "$SCRATCH/stderr.txt")"

yellow() { shot "$SCRATCH/corner.ppm" && count_colour "$SCRATCH/corner.ppm" 40 430 230 479 255 255 0; }
shown() { [ "$(yellow)" -gt 100 ]; }
hidden() { [ "$(yellow)" -lt 10 ]; }
hidden || fail "figures show before F3"
xdotool key F3
wait_until 50 shown || fail "F3 shows no figures in the bottom-left corner ($(yellow) yellow pixels)"
xdotool key F3
wait_until 50 hidden || fail "a second F3 leaves the figures ($(yellow) yellow pixels)"
log "F3 shows and hides the figures"

click_at 20 14
wait_for_exit 30 || fail "the quit button did not end the program"
[ "$APP_STATUS" = 0 ] || fail "exit code $APP_STATUS after quit"
