#!/usr/bin/env bash
# Installs the Debian packages that are missing (quiet when all are there),
# then configures and builds the program, its media and its tests.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
#        scripts/setup.sh build-sanitize [extra cmake arguments...]
# The second form is the sanitizer build as the test command makes it: clang,
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets.
# The test command adds -DTAMO_WERROR=ON (warnings stop the build).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  g++ cmake pkg-config make
  libsdl2-dev libgl-dev libglu1-mesa-dev libgtk-3-dev libx11-dev
  libfreetype-dev fonts-dejavu-core libpng-dev libjpeg62-turbo-dev libstb-dev libcli11-dev
  libtinygltf-dev libenet-dev libzstd-dev zlib1g-dev liblua5.4-dev
  libsdl2-2.0-0 libgl1 libglx-mesa0 libgl1-mesa-dri libglu1-mesa libgtk-3-0
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick x11-utils python3 xxd clang-format clang-tidy desktop-file-utils
  dpkg-dev file lintian appstream
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

BUILD_DIR="${1:-build}"
shift || true
if [ "$BUILD_DIR" = build-sanitize ]; then
  set -- -DTAMO_SANITIZE=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "$@"
fi
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"

# The Khronos glTF validator for the export test, from the npm registry,
# into the build folder (once).
if [ ! -f "$BUILD_DIR/node/node_modules/gltf-validator/package.json" ]; then
  npm install --silent --no-audit --no-fund --prefix "$BUILD_DIR/node" gltf-validator@2.0.0-dev.3.10 >/dev/null
fi
