#!/usr/bin/env bash
# CTest runs the sanitizer build's test programs through this launcher:
#   scripts/sanitizer-launcher.sh program [arguments...]
#
# LeakSanitizer's stop-the-world tracer now and then crashes at exit ("Tracer
# caught signal 11 ... LeakSanitizer has encountered a fatal error") after the
# program did all its work. That crash says nothing about our code, so a run
# whose only fault it was is repeated, at most twice, and the repeat decides;
# the launcher says so on its output. A run with any other sign of a fault (a
# leak report, an AddressSanitizer or UndefinedBehaviorSanitizer report, a
# failed assertion) or without the tracer crash keeps its result.
set -uo pipefail

attempts=3
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

only_tracer_crash() {
    grep -q "Tracer caught signal" "$err" &&
        grep -q "LeakSanitizer has encountered a fatal error" "$err" &&
        ! grep -q -E "detected memory leaks|ERROR: AddressSanitizer|runtime error:|\[  FAILED  \]" \
            "$out" "$err"
}

for ((attempt = 1; ; attempt++)); do
    "$@" >"$out" 2>"$err"
    status=$?
    cat "$out"
    cat "$err" >&2
    if [ "$status" -eq 0 ] || [ "$attempt" -ge "$attempts" ] || ! only_tracer_crash; then
        exit "$status"
    fi
    echo "sanitizer-launcher: LeakSanitizer's tracer crashed at exit and nothing else" \
        "failed; running again (attempt $((attempt + 1)) of $attempts)" >&2
done
