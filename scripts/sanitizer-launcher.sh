#!/usr/bin/env bash
# CTest runs the sanitizer build's test programs through this launcher:
#   scripts/sanitizer-launcher.sh program [arguments...]
#
# LeakSanitizer scans each thread's dynamic TLS blocks as AddressSanitizer
# recorded them in its __tls_get_addr hook. clang 14's hook guesses a block's
# bounds from a header layout of an older glibc; on Debian 12's glibc the guess
# can give a range such as 0x1018 to 0x180000211a for a block of the GL
# driver's, and the tracer then crashes at exit scanning it ("Tracer caught
# signal 11 ... LeakSanitizer has encountered a fatal error"), the same way on
# every run of that program. Without the hook (intercept_tls_get_addr=0) the
# blocks are still scanned: they are heap blocks that each thread's DTV points
# to, and the DTV hangs off the thread's static TLS, which LeakSanitizer scans.
#
# Should the tracer crash still, after the program did all its work, the run
# is repeated, at most four times, a second apart, and the repeat decides; the
# launcher says so on its output. A run with any other sign of a fault (a leak
# report, an AddressSanitizer or UndefinedBehaviorSanitizer report, a failed
# assertion) or without the tracer crash keeps its result.
set -uo pipefail

export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_tls_get_addr=0"

attempts=5
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
    sleep 1
done
