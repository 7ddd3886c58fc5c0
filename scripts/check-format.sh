#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of ours differs from what
# clang-format makes of it under .clang-format. With --fix, formats them.
# Also fails on an include that climbs out of its folder ("../"): it would
# reach past the include roots that keep each layer to those below it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find app engine net world media platform tools bench tests -name '*.cpp' -o -name '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
climbing=$(grep -n '#include "\.\./' "${files[@]}" || true)
if [ -n "$climbing" ]; then
  echo "Includes that climb out of their folder (name the layer instead):"
  echo "$climbing"
  exit 1
fi
# One clang-format run over all files; it names each file that differs and
# fails when any does (or when it cannot read one).
status=0
report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1) || status=$?
mapfile -t bad < <(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$report" | sort -u)
if [ "$status" -ne 0 ] && [ ${#bad[@]} -eq 0 ]; then
  echo "$report"
  exit 1
fi
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not formatted (run scripts/check-format.sh --fix):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
