#!/usr/bin/env bash
# Runs every libFuzzer target of tests/fuzz for a while, as many at a time as
# there are cores. The targets live in the sanitizer build (clang,
# AddressSanitizer and UndefinedBehaviorSanitizer), which this builds first;
# the world tests of that build write the seeds. A finding fails the run; its
# input is kept in build-sanitize/fuzz/findings/ and each target's log in
# build-sanitize/fuzz/logs/.
# Usage: scripts/fuzz.sh [seconds per target, default 20] [target...]
#   targets: Archive CityScript LargeMapFile LooseTextureName MapFile Protocol
#   SectorRecord SpriteNameKeys (LargeMapFile reads 256 MiB an input, some 20 inputs
#   a minute, so it starts unseeded: the seeds alone would take minutes)
# FUZZ_JOBS sets how many run at a time: a number, or "all" (default: the
# number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SECONDS_EACH=${1:-20}
shift || true
BUILD=build-sanitize
FUZZ=$BUILD/fuzz

scripts/setup.sh "$BUILD"
[ -d "$BUILD/tests/fuzz" ] || { echo "no fuzz targets in $BUILD: it must be built with clang"; exit 1; }

# Seeds: every map file and sector record the world tests craft or save, and
# the sector records inside the map files (after the 4-byte sector count).
SEEDS=$FUZZ/seeds
if [ ! -f "$SEEDS/stamp" ] || [ "$BUILD/tests/test_world" -nt "$SEEDS/stamp" ]; then
    rm -rf "$SEEDS"
    mkdir -p "$SEEDS/world" "$SEEDS/sector" "$SEEDS/names" "$SEEDS/pictures"
    (cd "$BUILD/tests" && TAMO_FUZZ_SEEDS="$ROOT/$SEEDS/world" SDL_VIDEODRIVER=x11 \
        ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 640x480x24 -nolisten tcp -noreset" \
        ./test_world \
        --gtest_filter='MapFileTest.*:SectorFileEquivalenceTest.*:RayMarchEquivalenceTest.SectorsReadFromAFile*' \
        >/dev/null)
    for seed in "$SEEDS"/world/*; do
        tail -c +5 "$seed" >"$SEEDS/sector/$(basename "$seed")"
    done
    # The loose texture names the media generator writes.
    for texture in "$BUILD"/Textures/*; do
        basename "$texture" | tr -d '\n' >"$SEEDS/names/$(basename "$texture")"
    done
    # Small pictures of the kinds people have: PNG colour types and depths,
    # interlaced, baseline and progressive JPEG.
    P=$SEEDS/pictures
    /usr/bin/convert -size 12x9 gradient:red-blue "$P/rgb.png"
    /usr/bin/convert -size 12x9 gradient:red-none "$P/rgba.png"
    /usr/bin/convert -size 12x9 gradient: -depth 16 "$P/grey16.png"
    /usr/bin/convert -size 12x9 gradient:red-blue -colors 8 PNG8:"$P/palette.png"
    /usr/bin/convert -size 12x9 gradient:red-blue -interlace PNG "$P/interlaced.png"
    /usr/bin/convert -size 12x9 gradient:red-blue "$P/baseline.jpg"
    /usr/bin/convert -size 12x9 gradient:red-blue -interlace JPEG "$P/progressive.jpg"
    touch "$SEEDS/stamp"
fi

seeds_of() {
    case "$1" in
    MapFile) echo "$SEEDS/world" ;;
    SectorRecord) echo "$SEEDS/sector $SEEDS/world" ;;
    LooseTextureName) echo "$SEEDS/names" ;;
    CityScript) echo "$ROOT/examples" ;;
    PictureDecoder) echo "$SEEDS/pictures" ;;
    *) echo "" ;;
    esac
}

# Runs one target; its corpus grows across runs in $FUZZ/corpus/<target>.
run_target() {
    local name=$1
    # A hang is an input that runs far longer than the target's inputs do:
    # LargeMapFile reads 256 MiB an input (3 s alone, over 20 s when all the
    # targets share two cores).
    local timeout=20
    [ "$name" = LargeMapFile ] && timeout=180
    mkdir -p "$FUZZ/corpus/$name" "$FUZZ/findings" "$FUZZ/logs"
    # shellcheck disable=SC2046
    scripts/sanitizer-launcher.sh "$BUILD/tests/fuzz/fuzz_$name" -max_total_time="$SECONDS_EACH" \
        -max_len=32768 -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$FUZZ/findings/$name-" "$FUZZ/corpus/$name" $(seeds_of "$name") \
        >"$FUZZ/logs/$name.log" 2>&1
}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for program in "$BUILD"/tests/fuzz/fuzz_*; do
        targets+=("${program##*/fuzz_}")
    done
fi

JOBS=${FUZZ_JOBS:-$(nproc)}
[ "$JOBS" = all ] && JOBS=${#targets[@]}
echo "== Fuzzing ${targets[*]}: ${SECONDS_EACH} s each, $JOBS at a time =="
declare -A pid_of
failed=0
for name in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do
        wait -n || true
    done
    run_target "$name" &
    pid_of[$name]=$!
done
for name in "${targets[@]}"; do
    log="$FUZZ/logs/$name.log"
    if wait "${pid_of[$name]}"; then
        runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
        echo "fuzz_$name: ${runs:-?} runs, no finding"
    else
        failed=1
        echo "fuzz_$name: FINDING (input in $FUZZ/findings/, log $log)"
        grep -E "fuzz finding|ERROR|runtime error|SUMMARY" "$log" | head -n 10
    fi
done
exit "$failed"
