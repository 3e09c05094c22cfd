#!/usr/bin/env bash
# Two builds of the last commit give the same .deb, byte for byte: each from its own
# clone, in folders of different depth, one with TZ=UTC and umask 022, the other with
# TZ=Europe/Budapest and umask 002. Only the Release program and its package are built,
# as the README's commands build them (in build/package). ccache, when there is one,
# serves the first from the objects of such a build in this folder; the second is
# compiled afresh, because ccache hands the compiler paths relative to its base folder
# and so would hide a build folder compiled into the program.
# Usage: scripts/test-deb-reproducible.sh [work folder]   (default build/reproducible)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-build/reproducible}
start=$SECONDS

fail() { echo "reproducible: FAIL: $*" >&2; exit 1; }
say() { echo "reproducible: $*"; }

scripts/deps.sh package
commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  say "note: uncommitted changes are not in the builds, which are of $commit"
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
ccache=()
if command -v ccache >/dev/null; then
  # Paths below the base folder are hashed relative to it, so the clone and this folder
  # share entries.
  ccache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
fi

# build FOLDER TZ UMASK [CMAKE OPTIONS]: clone the commit into FOLDER and build its package.
build() {
  (
    umask "$3"
    export TZ=$2
    git clone -q --shared --no-checkout . "$1"
    git -C "$1" -c advice.detachedHead=false checkout -q "$commit"
    cd "$1"
    cmake --preset package "${@:4}" >"$1.log"
    cmake --build --preset package >>"$1.log"
    cpack --preset package >>"$1.log" 2>&1
  ) || { cat "$1.log"; fail "building in $1"; }
}
build "$work/a" UTC 022 "${ccache[@]}"
build "$work/second/clone-b" Europe/Budapest 002 -DCMAKE_CXX_COMPILER_LAUNCHER=

a=("$work"/a/build/package/deb/*.deb)
b=("$work"/second/clone-b/build/package/deb/*.deb)
[ -f "${a[0]}" ] && [ -f "${b[0]}" ] || fail "no .deb"
if ! cmp -s "${a[0]}" "${b[0]}"; then
  # Say where they differ: the archive's members, then the files and their modes and times.
  for deb in "${a[0]}" "${b[0]}"; do
    { ar tv "$deb"; dpkg-deb -c "$deb"; dpkg-deb -R "$deb" "$deb.tree" && (cd "$deb.tree" &&
      find . -type f -exec sha256sum {} + | sort -k 2); } >"$deb.list" 2>&1
  done
  diff "${a[0]}.list" "${b[0]}.list" >&2 || true
  if command -v diffoscope >/dev/null; then diffoscope "${a[0]}" "${b[0]}" >&2 || true; fi
  fail "the two .deb files differ"
fi
cmp -s "$work/a/build/package/deb/SHA256SUMS" "$work/second/clone-b/build/package/deb/SHA256SUMS" || fail "the SHA256SUMS differ"
# Nor does the package hold either folder.
tree=$work/tree
dpkg-deb -x "${a[0]}" "$tree"
if grep -rlF -e "$work/a" -e "$work/second" "$tree"; then fail "a build folder is in the package"; fi
say "$(basename "${a[0]}") of ${commit:0:12} is the same from both clones," \
  "sha256 $(cut -c1-16 "$work/a/build/package/deb/SHA256SUMS")..., in $((SECONDS - start)) s"
