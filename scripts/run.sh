#!/usr/bin/env bash
# Sets everything up, then starts Tamotown in the build folder, where the
# generated media lie.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cd build
exec ./tamotown "$@"
