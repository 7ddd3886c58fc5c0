#!/usr/bin/env bash
# Makes the Debian package tamotown_<version>_<arch>.deb from a configured
# build folder and checks it: the file name, the computed dependencies,
# lintian without errors, the AppStream metadata, the desktop entry and the
# licence declared in the copyright file and the metadata.
# With --install (as root) it also installs the package with apt, runs the
# installed program, removes the package and checks that nothing is left.
# Usage: scripts/package.sh [--install] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."

INSTALL=0
if [ "${1:-}" = --install ]; then
    INSTALL=1
    shift
fi
BUILD_DIR=$(readlink -f "${1:-build}")
[ -f "$BUILD_DIR/CPackConfig.cmake" ] || { echo "no configured build in $BUILD_DIR (scripts/setup.sh)" >&2; exit 1; }

fail() {
    echo "FAIL [package]: $*" >&2
    exit 1
}

OUT="$BUILD_DIR/package"
rm -rf "$OUT"
mkdir -p "$OUT"
cmake --build "$BUILD_DIR" --target tamotown tamo_generated_media tamo_package_files -j"$(nproc)" >/dev/null
(cd "$BUILD_DIR" && cpack -G DEB -B "$OUT" >"$OUT/cpack.txt" 2>&1) || { cat "$OUT/cpack.txt" >&2; fail "cpack failed"; }

version=$(sed -n 's/^project(Tamotown VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DEB="$OUT/tamotown_${version}_$(dpkg --print-architecture).deb"
[ -f "$DEB" ] || fail "cpack made $(ls "$OUT"/*.deb 2>/dev/null || echo nothing), not $DEB"

# dpkg-shlibdeps computed the libraries the program links.
depends=$(dpkg-deb -f "$DEB" Depends)
for library in libsdl2 libgtk-3 libpng16 libglu1 libstdc++6 libc6; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

# Errors fail; warnings and notes are shown.
lintian --fail-on error --tag-display-limit 0 "$DEB" >"$OUT/lintian.txt" 2>&1 ||
    { cat "$OUT/lintian.txt" >&2; fail "lintian found errors"; }
if [ -s "$OUT/lintian.txt" ]; then cat "$OUT/lintian.txt"; fi

ROOT="$OUT/root"
dpkg-deb -x "$DEB" "$ROOT"
metainfo=("$ROOT"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metadata in usr/share/metainfo"
grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "the metadata does not name release $version"
appstreamcli validate --no-net "${metainfo[0]}" >"$OUT/appstream.txt" 2>&1 ||
    { cat "$OUT/appstream.txt" >&2; fail "appstreamcli validate failed"; }
desktop-file-validate "$ROOT/usr/share/applications/tamotown.desktop" || fail "the desktop entry does not validate"
# The licence of LICENSE, declared and quoted whole in the copyright file and
# named in the metadata.
COPYRIGHT="$ROOT/usr/share/doc/tamotown/copyright"
grep -qx 'License: MIT' "$COPYRIGHT" || fail "the copyright file does not declare the MIT licence"
diff <(sed -n '/^Permission is hereby granted/,$p' LICENSE | sed 's/^$/./; s/^/ /') \
    <(sed -n '/^ Permission is hereby granted/,$p' "$COPYRIGHT") >"$OUT/licence.txt" ||
    { cat "$OUT/licence.txt" >&2; fail "the copyright file does not quote LICENSE"; }
grep -q '<project_license>MIT</project_license>' "${metainfo[0]}" || fail "the metadata names no MIT project licence"
for file in usr/bin/tamotown usr/share/tamotown/TamoData.arc usr/share/man/man1/tamotown.1.gz \
    usr/share/doc/tamotown/copyright usr/share/doc/tamotown/changelog.gz; do
    [ -f "$ROOT/$file" ] || fail "the package lacks /$file"
done
echo "package: $DEB"
echo "  Depends: $depends"

[ "$INSTALL" = 1 ] || exit 0
[ "$(id -u)" = 0 ] || fail "--install needs root"
dpkg-query -W tamotown >/dev/null 2>&1 && fail "tamotown is installed already; remove it first"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$DEB" >"$OUT/apt.txt" 2>&1 ||
    { cat "$OUT/apt.txt" >&2; fail "apt install failed"; }
dpkg-query -L tamotown >"$OUT/files.txt"
[ "$(/usr/bin/tamotown --version)" = "tamotown $version" ] || fail "the installed program does not answer --version"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tamotown >>"$OUT/apt.txt" 2>&1 ||
    { cat "$OUT/apt.txt" >&2; fail "apt remove failed"; }
while read -r path; do
    [ -d "$path" ] || [ ! -e "$path" ] || fail "$path is left after apt remove"
done <"$OUT/files.txt"
[ ! -e /usr/share/tamotown ] || fail "/usr/share/tamotown is left after apt remove"
echo "installed with apt, ran, removed cleanly"
