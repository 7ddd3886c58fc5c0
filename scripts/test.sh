#!/usr/bin/env bash
# Sets everything up and runs the whole suite twice: a normal build, and one
# built with clang, AddressSanitizer and UndefinedBehaviorSanitizer, which
# also holds the fuzz targets; then runs each fuzz target briefly
# (scripts/fuzz.sh). Tests that need a display run under Xvfb with Mesa's
# software OpenGL.
set -euo pipefail
cd "$(dirname "$0")/.."

# x11 explicitly: a failed X connection must fail, not fall back to SDL's
# offscreen driver. Leaks inside the system's libraries are suppressed; ours
# are not.
export SDL_VIDEODRIVER=x11
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1
export GSETTINGS_BACKEND=memory
export NO_AT_BRIDGE=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1"

# One test more than cores: the end-to-end scripts spend most of their time
# waiting on the screen, so one test a core left a third of the cores idle.
run_suite() {
  local dir="$1"
  echo "== Tests in $dir =="
  xvfb-run -a -s "-screen 0 640x480x24 -nolisten tcp -noreset" \
    ctest --test-dir "$dir" --output-on-failure -j"$(($(nproc) + 1))"
}

# Each stage's wall time and the processor time its programs used, printed
# at the end (also when a stage fails) so that a slow stage shows in the CI
# log; on a busy machine the processor time is the steadier figure.
stage_times=()
times_file=$(mktemp)
# Processor seconds of the finished child processes; `times` runs in this
# shell (not in a subshell, which would count its own children only).
cpu_seconds() {
  times >"$times_file"
  CPU=$(awk 'NR == 2 { for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] } printf "%d", t }' "$times_file")
}
print_stage_times() {
  cpu_seconds
  rm -f "$times_file"
  echo "== Stage times (wall, processor) =="
  printf '%s\n' "${stage_times[@]}"
  printf '%-22s %5d s %6d s\n' total "$SECONDS" "$CPU"
}
trap print_stage_times EXIT
stage() {
  local name=$1 start=$SECONDS cpu
  cpu_seconds
  cpu=$CPU
  shift
  "$@"
  cpu_seconds
  stage_times+=("$(printf '%-22s %5d s %6d s' "$name" $((SECONDS - start)) $((CPU - cpu)))")
  echo "== Stage done: ${stage_times[-1]}"
}

# Warnings are errors in the project's own builds, not in a user's. Line
# tables are all the debug information a test run needs (a backtrace names
# files and lines); full debug information takes a fifth more compile time.
stage "setup and build" scripts/setup.sh build -DTAMO_WERROR=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
stage "format check" scripts/check-format.sh
stage "tests" run_suite build
stage "sanitizer build" scripts/setup.sh build-sanitize -DTAMO_WERROR=ON
stage "sanitizer tests" run_suite build-sanitize
# The brief fuzz runs all at once: they share the cores, and the stage takes
# 20 s of wall time instead of three rounds of it.
stage "fuzz runs" env FUZZ_JOBS=all scripts/fuzz.sh 20
