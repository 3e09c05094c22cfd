#!/usr/bin/env bash
# Builds and runs every test: the normal build, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows program for
# x86_64 and i686 under Wine with its installers. Any failure fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

scripts/deps.sh test

step() { echo; echo "=== test: $* ==="; }

step "formatting and include direction"
scripts/check-format.sh
scripts/check-layers.sh

step "build (warnings are errors)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DASPECT_WERROR=ON >/dev/null
cmake --build build/test -j "$jobs"

step "run the suite"
ctest --test-dir build/test -j "$jobs" --output-on-failure --no-tests=error

step "build the program as the run command does (Release, warnings are errors)"
cmake -S . -B build/release-check -G Ninja -DCMAKE_BUILD_TYPE=Release -DASPECT_BUILD_TESTS=OFF -DASPECT_WERROR=ON >/dev/null
cmake --build build/release-check -j "$jobs" --target aspect-ratio

step "build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DASPECT_WERROR=ON -DASPECT_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$jobs"

step "run the suite under the sanitizers"
ctest --test-dir build/asan -j "$jobs" --output-on-failure --no-tests=error

scripts/test-package.sh build/test

# settings store steps (Windows build under Wine, crash rounds, fuzzing) go here
# (The 200 killed-writer rounds run in both ctest runs above, as
# FileStore.WriterKilledAnywhereLeavesOldOrNew.)
step "Windows: x86_64 and i686 builds, their suites under Wine, the installers"
scripts/test-windows.sh

step "settings store: fuzzing the file parser"
scripts/fuzz-settings.sh

echo
echo "test: all passed"
