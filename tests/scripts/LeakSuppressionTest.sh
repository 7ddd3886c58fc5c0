#!/usr/bin/env bash
# The leak suppressions hide the system libraries' own start-up allocations,
# never ours: a program that starts SDL (with a GL window) and GTK (with a
# file chooser) and frees what it made passes under them; the same program
# keeping an SDL surface and a GLib string unfreed is reported, and each of
# the two leaks is named with its size and the library that allocated it.
# Usage: LeakSuppressionTest.sh subject suppression-file
set -uo pipefail
SUBJECT=${1:?subject program}
SUPPRESSIONS=${2:?suppression file}
SCRATCH=$(mktemp -d /tmp/tamo-leaks.XXXXXX)
trap 'rm -rf "$SCRATCH"' EXIT
export LSAN_OPTIONS="suppressions=$SUPPRESSIONS:print_suppressions=0" ASAN_OPTIONS=detect_leaks=1
failures=0
fail() {
    echo "FAIL: $1"
    sed 's/^/    /' "$2"
    failures=$((failures + 1))
}

"$SUBJECT" "$SCRATCH" >"$SCRATCH/clean.txt" 2>&1 || fail "the program that frees everything failed" "$SCRATCH/clean.txt"

"$SUBJECT" "$SCRATCH" leak >"$SCRATCH/leak.txt" 2>&1
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 2 ] || fail "the leaking program exited with $status" "$SCRATCH/leak.txt"
# reported <size> <frame pattern>: a direct leak of one object of that size
# whose allocation stack names the library.
reported() {
    awk -v head="Direct leak of $1 byte(s) in 1 object(s)" -v frame="$2" '
        index($0, head) == 1 { inside = 1; next }
        inside && /^ *#/ { if ($0 ~ frame) found = 1; next }
        { inside = 0 }
        END { exit !found }' "$SCRATCH/leak.txt"
}
surface=$(awk '$1 == "surface" { print $2 }' "$SCRATCH/leak.txt")
folder=$(awk '$1 == "folder" { print $2 }' "$SCRATCH/leak.txt")
reported "${surface:-?}" libSDL2 || fail "no report of the unfreed SDL surface ($surface bytes)" "$SCRATCH/leak.txt"
reported "${folder:-?}" 'g_malloc|libglib' || fail "no report of the unfreed GLib string ($folder bytes)" "$SCRATCH/leak.txt"
[ "$failures" -eq 0 ] && echo PASS
exit $((failures > 0))
