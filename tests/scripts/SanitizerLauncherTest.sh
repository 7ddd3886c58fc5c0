#!/usr/bin/env bash
# The sanitizer launcher repeats a run only when LeakSanitizer's tracer crash
# was its only fault: a leak, a crash or a failed assertion still fails, and
# at once, with or without a tracer crash; a tracer crash on every attempt
# fails too.
# Usage: SanitizerLauncherTest.sh launcher subject
set -uo pipefail
LAUNCHER=${1:?launcher}
SUBJECT=${2:?subject program}
SCRATCH=$(mktemp -d /tmp/tamo-launcher.XXXXXX)
trap 'rm -rf "$SCRATCH"' EXIT
failures=0

# expect <name> <pass|fail> <attempts> <subject arguments...>
expect() {
    local name=$1 outcome=$2 runs=$3
    shift 3
    "$LAUNCHER" "$SUBJECT" "$@" >"$SCRATCH/$name.txt" 2>&1
    local status=$?
    local repeats
    repeats=$(grep -c "running again" "$SCRATCH/$name.txt")
    if { [ "$outcome" = pass ] && [ "$status" -ne 0 ]; } ||
        { [ "$outcome" = fail ] && [ "$status" -eq 0 ]; } || [ "$repeats" -ne $((runs - 1)) ]; then
        echo "FAIL [$name]: exit status $status after $((repeats + 1)) runs, expected $outcome after $runs"
        sed 's/^/    /' "$SCRATCH/$name.txt"
        failures=$((failures + 1))
    else
        echo "ok [$name]: exit status $status after $runs runs"
    fi
}

expect passes pass 1 pass
expect leaks fail 1 leak
expect crashes fail 1 crash
expect fails fail 1 fail
expect tracer-crash-once pass 2 tracer "$SCRATCH/tracer-state"
expect tracer-crash-every-time fail 5 tracer
expect tracer-crash-after-a-failure fail 1 fail+tracer "$SCRATCH/failed-state"

grep -q "detected memory leaks" "$SCRATCH/leaks.txt" || { echo "FAIL: no leak report"; failures=$((failures + 1)); }
grep -q "AddressSanitizer: SEGV" "$SCRATCH/crashes.txt" || { echo "FAIL: no crash report"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo PASS
exit $((failures > 0))
