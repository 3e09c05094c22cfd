#!/usr/bin/env bash
# Two builds of the last commit give the same .deb, byte for byte: each from its own
# clone, in folders of different depth, one with TZ=UTC and umask 022, the other with
# TZ=Europe/Budapest and umask 002. Only the Release program and its package are built;
# ccache, when there is one, serves the second build from the first.
# Usage: scripts/test-deb-reproducible.sh [work folder]   (default build/reproducible)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-build/reproducible}
start=$SECONDS

fail() { echo "reproducible: FAIL: $*" >&2; exit 1; }
say() { echo "reproducible: $*"; }

commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  say "note: uncommitted changes are not in the builds, which are of $commit"
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Paths below the base folder are hashed relative to it, so both clones share entries.
  export CCACHE_BASEDIR=$work
fi

# build FOLDER TZ UMASK: clone the commit into FOLDER and build its package there.
build() {
  (
    umask "$3"
    export TZ=$2
    git clone -q --shared --no-checkout . "$1"
    git -C "$1" -c advice.detachedHead=false checkout -q "$commit"
    cmake -S "$1" -B "$1/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DASPECT_BUILD_TESTS=OFF \
      "${launcher[@]}" >"$1.log"
    cmake --build "$1/build" >>"$1.log"
    cpack --config "$1/build/CPackConfig.cmake" -B "$1/deb" >>"$1.log" 2>&1
  ) || { cat "$1.log"; fail "building in $1"; }
}
build "$work/a" UTC 022
build "$work/second/clone-b" Europe/Budapest 002

a=("$work"/a/deb/*.deb)
b=("$work"/second/clone-b/deb/*.deb)
[ -f "${a[0]}" ] && [ -f "${b[0]}" ] || fail "no .deb"
if ! cmp -s "${a[0]}" "${b[0]}"; then
  # Say where they differ: the archive's members, then the files and their modes and times.
  for deb in "${a[0]}" "${b[0]}"; do
    { ar tv "$deb"; dpkg-deb -c "$deb"; dpkg-deb -R "$deb" "$deb.tree" && (cd "$deb.tree" &&
      find . -type f -exec sha256sum {} + | sort -k 2); } >"$deb.list" 2>&1
  done
  diff "${a[0]}.list" "${b[0]}.list" >&2 || true
  fail "the two .deb files differ"
fi
cmp -s "$work/a/deb/SHA256SUMS" "$work/second/clone-b/deb/SHA256SUMS" || fail "the SHA256SUMS differ"
# ccache would hand the second build the first's objects even if a folder were compiled
# into them; the package must hold neither folder.
tree=$work/tree
dpkg-deb -x "${a[0]}" "$tree"
if grep -rlF -e "$work/a" -e "$work/second" "$tree"; then fail "a build folder is in the package"; fi
say "$(basename "${a[0]}") of ${commit:0:12} is the same from both clones," \
  "sha256 $(cut -c1-16 "$work/a/deb/SHA256SUMS")..., in $((SECONDS - start)) s"
