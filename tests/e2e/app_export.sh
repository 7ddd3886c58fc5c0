#!/usr/bin/env bash
# --export and --info with no display at all: a city from the city maker
# becomes a .glb that the Khronos glTF validator accepts without errors and
# an .obj with its materials and pictures, each export saying in one line
# what it wrote; --info describes it; a bad world file, or no media to take
# the pictures from, gives exit code 1 with the reason and writes nothing.
source "$(dirname "$0")/common.bash"

MAKER="${TAMO_TEST_BIN:-$BUILD_DIR/tests}/probe_city_maker"
VALIDATOR="$BUILD_DIR/node/node_modules/gltf-validator"
[ -f "$VALIDATOR/package.json" ] || fail "the glTF validator is missing in $VALIDATOR (scripts/setup.sh installs it)"
copy_media
"$MAKER" "$SCRATCH/city.map" || fail "the city maker failed"

cd "$SCRATCH" || fail "no scratch folder"
headless() { env -u DISPLAY -u WAYLAND_DISPLAY "$TAMOTOWN" "$@"; }

headless --info city.map >info.txt 2>stderr.txt || fail "--info failed: $(cat stderr.txt)"
grep -qx 'sprite objects: 24' info.txt || fail "--info: $(cat info.txt)"
grep -q '"Ada"' info.txt || fail "--info names no figure: $(cat info.txt)"
grep -Eq '^figure types: man \([0-9]+\), .*tree \([0-9]+\)' info.txt ||
    fail "--info names no figure types: $(grep -i type info.txt)"
grep -q '^bounding box: (40040, 59850, 39800) to (40440, 59955, 40200)$' info.txt ||
    fail "--info bounding box: $(grep bounding info.txt)"
log "--info describes the city"

headless --export city.map city.glb >stdout.txt 2>stderr.txt || fail "--export .glb failed: $(cat stderr.txt)"
[ ! -s stderr.txt ] || fail "--export complained: $(cat stderr.txt)"
grep -Eqx 'tamotown: wrote city.glb: [1-9][0-9]* triangles, [1-9][0-9]* materials, [1-9][0-9]* pictures' stdout.txt ||
    fail "--export printed: $(cat stdout.txt)"
cat >validate.js <<'JS'
const fs = require('fs');
const validator = require(process.argv[2]);
validator.validateBytes(new Uint8Array(fs.readFileSync(process.argv[3])))
  .then((report) => {
    const issues = report.issues;
    for (const m of issues.messages.filter((m) => m.severity === 0).slice(0, 5))
      console.error(m.code + ' ' + m.pointer + ': ' + m.message);
    console.log(issues.numErrors + ' errors ' + issues.numWarnings + ' warnings');
    process.exit(issues.numErrors === 0 ? 0 : 1);
  })
  .catch((error) => { console.error(error); process.exit(2); });
JS
result=$(node validate.js "$VALIDATOR" city.glb) || fail "the validator rejects city.glb: $result"
log "city.glb passes the glTF validator: $result"
printf '\0\0\0\0\0\0\0\0' >empty.map   # no sectors, no figures
headless --export empty.map empty.glb || fail "--export of an empty world failed"
result=$(node validate.js "$VALIDATOR" empty.glb) || fail "the validator rejects empty.glb: $result"
log "so does the .glb of an empty world"

headless --export city.map city.obj 2>stderr.txt || fail "--export .obj failed: $(cat stderr.txt)"
for file in city.mtl city-118.png city-101.png city-5.png; do
    [ -s "$file" ] || fail "--export .obj wrote no $file"
done
[ "$(grep -c '^f ' city.obj)" -eq $(( 2 * $(grep -c '^v ' city.obj) / 4 )) ] ||
    fail "city.obj: not two triangles for every four corners"
log "city.obj, city.mtl and the pictures are written"

mkdir bad && cd bad || fail "no folder for the bad file"
head -c 100 ../city.map >bad.map
for out in bad.glb bad.obj; do
    headless --export bad.map "$out" 2>stderr.txt
    status=$?
    [ "$status" -eq 1 ] || fail "--export of a bad file ended with $status"
    grep -q '^tamotown: bad.map: ' stderr.txt || fail "no reason given: $(cat stderr.txt)"
done
headless --info bad.map >/dev/null 2>stderr.txt
[ $? -eq 1 ] || fail "--info of a bad file did not end with 1"
[ "$(ls -A | sort | tr '\n' ' ')" = "bad.map stderr.txt " ] || fail "a bad file left files: $(ls -A)"
log "a bad world file gives exit code 1 with the reason and writes nothing"

# The program alone, away from its media: the export fails and says where it looked.
mkdir -p "$SCRATCH/alone/bin" && cp "$TAMOTOWN" "$SCRATCH/alone/bin/" && cd "$SCRATCH/alone" ||
    fail "no folder for the program alone"
env -u DISPLAY -u WAYLAND_DISPLAY bin/tamotown --export ../city.map alone.glb >stdout.txt 2>stderr.txt
status=$?
[ "$status" -eq 1 ] || fail "--export without media ended with $status"
grep -q "looked in $SCRATCH/alone, $SCRATCH/alone/bin" stderr.txt || fail "no places named: $(cat stderr.txt)"
[ ! -e alone.glb ] && [ ! -s stdout.txt ] || fail "--export without media wrote something"
log "without media the export writes nothing and names the places looked in"
