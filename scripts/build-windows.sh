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

windows_toolchain() {
  case "$1" in
    x86_64) echo "$windows_root/cmake/toolchain-mingw64.cmake" ;;
    i686) echo "$windows_root/cmake/toolchain-mingw32.cmake" ;;
    *) echo "build-windows: unknown architecture $1" >&2; return 1 ;;
  esac
}

# GoogleTest for the target, built once per architecture from the sources Debian ships.
windows_gtest() {
  local arch=$1 dir=$windows_out/googletest-$1
  if [ ! -f "$dir/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "build-windows: building GoogleTest for $arch" >&2
    cmake -S /usr/src/googletest -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$(windows_toolchain "$arch")" \
      -DCMAKE_INSTALL_PREFIX="$dir/install" >/dev/null
    cmake --build "$dir/build" -j "$windows_jobs" --target install >/dev/null
  fi
  echo "$dir/install/lib/cmake/GTest"
}

# windows_build <arch> ON|OFF: the program (and with ON its tests) in build/windows/<arch>,
# Release, warnings as errors. The installers pack only what is installed, so one folder
# serves both.
windows_build() {
  local arch=$1 tests=$2 dir=$windows_out/$1 args=()
  if [ "$tests" = ON ]; then
    args+=(-DGTest_DIR="$(windows_gtest "$arch")")
  fi
  cmake -S "$windows_root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DASPECT_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$(windows_toolchain "$arch")" -DASPECT_BUILD_TESTS="$tests" \
    "${args[@]}" >/dev/null
  cmake --build "$dir" -j "$windows_jobs"
}

# The installer and the ZIP of one architecture, copied to build/windows/.
windows_package() {
  local arch=$1 dir=$windows_out/$1
  rm -rf "$dir/cpack"
  if ! cpack --config "$dir/CPackConfig.cmake" -B "$dir/cpack" >"$dir/cpack.log" 2>&1; then
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
