#!/usr/bin/env bash
# Checks the naming of constants (.clang-tidy: PascalCase for every named
# constant) over every source file of the project, with clang-tidy. Takes a
# few minutes on two cores, so the test command leaves it out; run it before
# sending changes that add constants.
# Usage: scripts/check-naming.sh [build-dir, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run-clang-tidy -p "$BUILD_DIR" -quiet -j"$(nproc)" \
  "$PWD/(app|engine|net|world|media|platform|tools|tests|bench)/" >"$log" 2>&1 || true
if grep -q "warning:" "$log"; then
  grep -A2 "warning:" "$log"
  echo "Constants named in another style: see .clang-tidy." >&2
  exit 1
fi
echo "Constant names: one style."
