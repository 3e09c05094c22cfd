#!/usr/bin/env bash
# Builds the Debian package and checks it as Debian and a desktop would see it:
# lintian finds no error or warning, SHA256SUMS matches, the desktop entry, the
# AppStream metadata and the icons are valid and in their places, the package's
# dependencies resolve, and the program unpacked from it starts, and is read by
# a screen reader over AT-SPI under Xvfb at scale 1 and 2, with a screenshot of
# each. Then two clones of the commit must give the same .deb, and deps.sh must
# wait for another package manager's lock.
# Usage: scripts/test-package.sh   (builds the preset `package` into build/package)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/package
id=example.morlane.AspectRatio
version=$(sed -n 's/^project(aspect_ratio VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
start=$SECONDS

scripts/deps.sh package
# deps.sh waits for another package manager instead of failing.
tests/package/deps_lock_test.sh

fail() { echo "package: FAIL: $*" >&2; exit 1; }
say() { echo "package: $*"; }

cmake --preset package >/dev/null
cmake --build --preset package -j "$(nproc 2>/dev/null || echo 2)"

out=$build/deb
rm -rf "$out"
mkdir -p "$out"
cpack --preset package >"$build/cpack.log" 2>&1 || { cat "$build/cpack.log"; fail "cpack"; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $out"
deb=${debs[0]}
say "built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = aspect-ratio ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "package version $(field Version), project $version"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=$(field Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
say "Depends: $depends"
# Debian's own checks: any error or warning fails.
lintian --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1 || { cat "$out/lintian.log"; fail "lintian"; }
say "lintian: no errors, no warnings"
# A download is checked with sha256sum -c against the SHA256SUMS beside it.
[ "$(awk '{print $2}' "$out/SHA256SUMS")" = "$(basename "$deb")" ] || fail "SHA256SUMS does not list just the .deb"
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
say "SHA256SUMS matches"

# Every dependency is a package this system can install.
apt-get -s -q install "$(realpath "$deb")" >"$out/apt.log" 2>&1 || { cat "$out/apt.log"; fail "apt-get cannot resolve the dependencies"; }

root=$out/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin/aspect-ratio
desktop=$root/usr/share/applications/$id.desktop
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
icons=$root/usr/share/icons/hicolor
[ -x "$bin" ] || fail "no /usr/bin/aspect-ratio"

desktop-file-validate "$desktop" || fail "desktop-file-validate"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Name)" = "Calculate aspect ratio" ] || fail "Name=$(entry Name)"
[ "$(entry 'Name\[hu\]')" = "Képarány számoló" ] || fail "Name[hu]=$(entry 'Name\[hu\]')"
[ "$(entry Exec)" = aspect-ratio ] || fail "Exec=$(entry Exec)"
[ "$(entry Icon)" = "$id" ] || fail "Icon=$(entry Icon)"
grep -q '^Categories=\(.*;\)\?Utility;' "$desktop" || fail "not in Utility: $(entry Categories)"
say "desktop entry valid: in Utility, named in English and Hungarian"

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"
grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "metainfo names no MIT licence"
say "metainfo valid, release $version, licence MIT"

# The changelog's newest entry is this release, on the metadata's release date.
doc=$root/usr/share/doc/aspect-ratio
zcat "$doc/changelog.gz" >"$out/changelog"
[ "$(dpkg-parsechangelog -l "$out/changelog" -S Version)" = "$version" ] ||
  fail "the changelog's newest entry is $(dpkg-parsechangelog -l "$out/changelog" -S Version), not $version"
released=$(sed -n 's/.*<release version="[^"]*" date="\([^"]*\)".*/\1/p' "$metainfo")
[ "$(date -u -d "$(dpkg-parsechangelog -l "$out/changelog" -S Date)" +%F)" = "$released" ] ||
  fail "the changelog's newest entry is not dated $released"
grep -qx 'License: Expat' "$doc/copyright" || fail "the copyright file names no Expat (MIT) licence"
say "changelog: $version of $released; copyright: Expat (MIT)"

for size in 16 32 48 64 128 256; do
  png=$icons/${size}x$size/apps/$id.png
  [ -f "$png" ] || fail "no ${size}x$size icon"
  got=$(identify -format '%m %wx%h' "$png")
  [ "$got" = "PNG ${size}x$size" ] || fail "${size}x$size icon is $got"
done
svg=$icons/scalable/apps/$id.svg
[ -f "$svg" ] || fail "no scalable icon"
# The scalable icon is the same drawing as the 256-pixel one.
rsvg-convert -w 256 -h 256 "$svg" -o "$out/svg-256.png" || fail "the SVG does not render"
difference=$(compare -metric RMSE "$out/svg-256.png" "$icons/256x256/apps/$id.png" null: 2>&1 |
  sed 's/.*(\(.*\))/\1/') || true
awk -v d="$difference" 'BEGIN { exit !(d < 0.02) }' || fail "SVG and PNG differ (RMSE $difference)"
say "icons: 16 to 256 pixels and SVG (RMSE to the 256 PNG $difference)"

# The installed program runs: killed by the timeout counts, a crash or an early exit does not.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
set +e
mkdir -m 700 "$home/run"
HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen \
  timeout 3 "$bin"
rc=$?
set -e
[ $rc -eq 124 ] || fail "the installed program ended with status $rc within 3 s"
say "installed program ran on the offscreen platform until stopped"

# A screen reader's view over AT-SPI, on a real X server with a session bus.
# -noreset: by default the server resets when its last client leaves, and
# refuses the next program while it does.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$out/display" 2>"$out/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$home"' EXIT
for _ in $(seq 50); do [ -s "$out/display" ] && break; sleep 0.1; done
[ -s "$out/display" ] || fail "Xvfb did not start: $(cat "$out/xvfb.log")"
export DISPLAY=:$(cat "$out/display")
for scale in 1 2; do
  rm -rf "${home:?}"/*
  mkdir -m 700 "$home/run"
  timeout 60 dbus-run-session -- bash -c '
    HOME=$1 XDG_CONFIG_HOME=$1/config XDG_RUNTIME_DIR=$1/run QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$4 \
      QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$2" 2>"$3.log" &
    app=$!
    /usr/bin/python3 tests/package/atspi_check.py aspect-ratio 20
    rc=$?
    import -window root "$3.full.png" && convert "$3.full.png" -trim +repage "$3"
    kill $app
    wait $app 2>/dev/null
    exit $rc' _ "$home" "$bin" "$out/screenshot-${scale}x.png" "$scale" 2>"$out/dbus-$scale.log" ||
    fail "AT-SPI check at scale $scale (bus log: $out/dbus-$scale.log)"
  size=$(identify -format '%wx%h' "$out/screenshot-${scale}x.png")
  [ "$size" = "$((401 * scale))x$((409 * scale))" ] || fail "the window at scale $scale shows as $size"
  say "AT-SPI check passed at scale $scale; screenshot $out/screenshot-${scale}x.png ($size)"
done

# Two clones of the commit, built in different folders, time zones and umasks, give the
# same .deb.
scripts/test-deb-reproducible.sh

say "all checks passed in $((SECONDS - start)) s"
