#!/usr/bin/env bash
# Builds the Windows program for x86_64 and i686 with Debian's mingw-w64 (Release) into
# build/windows/{x86_64,i686}, and leaves an NSIS installer and a ZIP for each under
# build/windows/ (aspect-ratio-<version>-win64.exe / -win32.exe and the two .zip).
# Installs the Debian packages it misses. Can be run again at any time.
# Usage: scripts/build-windows.sh
#
# scripts/test-windows.sh sources this file and builds the same folders with the tests.
set -euo pipefail

windows_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
windows_out=$windows_root/build/windows
windows_arches=(x86_64 i686)
windows_jobs=$(nproc 2>/dev/null || echo 2)

# windows_build <arch> ON|OFF: the program (and with ON its tests, GoogleTest included)
# in build/windows/<arch> through the preset windows-<arch>, Release, warnings as errors.
# The installers pack only what is installed, so one folder serves both.
windows_build() {
  local arch=$1 tests=$2
  (cd "$windows_root" &&
    cmake --preset "windows-$arch" -DASPECT_BUILD_TESTS="$tests" >/dev/null &&
    cmake --build --preset "windows-$arch" -j "$windows_jobs")
}

# The installer and the ZIP of one architecture, copied to build/windows/.
windows_package() {
  local arch=$1 dir=$windows_out/$1
  rm -rf "$dir/cpack"
  if ! (cd "$windows_root" && cpack --preset "windows-$arch") >"$dir/cpack.log" 2>&1; then
    cat "$dir/cpack.log" >&2
    echo "build-windows: cpack failed for $arch" >&2
    return 1
  fi
  local made=("$dir"/cpack/*.exe "$dir"/cpack/*.zip)
  cp "${made[@]}" "$windows_out/"
  local f
  for f in "${made[@]}"; do
    echo "build-windows: build/windows/$(basename "$f") ($(stat -c %s "$f") bytes)"
  done
}

windows_main() {
  "$windows_root/scripts/deps.sh" windows
  local arch
  for arch in "${windows_arches[@]}"; do
    echo "build-windows: building $arch (${SECONDS}s)"
    windows_build "$arch" OFF
    windows_package "$arch"
  done
  echo "build-windows: done (${SECONDS}s)"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  windows_main "$@"
fi
