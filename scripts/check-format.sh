#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of ours differs from what
# clang-format makes of it under .clang-format. With --fix, formats them.
# Also fails on an include that climbs out of its folder ("../"): it would
# reach past the include roots that keep each layer to those below it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find app engine world media platform tools bench tests -name '*.cpp' -o -name '*.h')
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
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not formatted (run scripts/check-format.sh --fix):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
