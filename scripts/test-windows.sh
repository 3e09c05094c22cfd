#!/usr/bin/env bash
# Cross-builds the settings store and its tests for 64-bit Windows and runs them under Wine
# against the real registry functions. Wine runs headless in a private prefix under build/,
# so no user's registry is touched. Any failure fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)
scripts/deps.sh test >/dev/null
toolchain=$root/cmake/toolchain-mingw64.cmake
gtest=$root/build/mingw-googletest

# GoogleTest for the target, built once from the sources Debian ships.
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "test-windows: building GoogleTest for mingw-w64"
  cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null
  cmake --build "$gtest/build" -j "$jobs" --target install >/dev/null
fi

echo "test-windows: building build/mingw (${SECONDS}s)"
cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DASPECT_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DASPECT_SETTINGS_ONLY=ON \
  -DGTest_DIR="$gtest/install/lib/cmake/GTest" >/dev/null
cmake --build build/mingw -j "$jobs"

# A private prefix and home: Wine links the prefix's profile folders into $HOME, and its
# menu builder would write desktop entries there.
mkdir -p build/wine-home
export HOME=$root/build/wine-home WINEPREFIX=$root/build/wine-prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers (console tests need neither, and there is no network), and no
# menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# Stop this prefix's server (and only it) however the run ends.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "test-windows: creating the Wine prefix build/wine-prefix (${SECONDS}s)"
  wineboot --init >/dev/null 2>&1
fi
# One persistent server for all test processes: starting Wine's services anew for each
# test costs seconds, reusing the server a tenth of one.
wineserver -w
wineserver -p
# Start Wine's own services now, away from ctest's pipes: a service that inherits a test's
# output pipe would keep ctest waiting for it to close.
wine cmd.exe /c exit >/dev/null 2>&1

# One at a time: the contract tests share the prefix's HKEY_CURRENT_USER.
echo "test-windows: running the suite under Wine (${SECONDS}s)"
ctest --test-dir build/mingw -j 1 --output-on-failure --no-tests=error
echo "test-windows: done (${SECONDS}s)"
