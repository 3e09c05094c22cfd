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
cmake --preset test >/dev/null
cmake --build --preset test -j "$jobs"

step "run the suite"
ctest --preset test -j "$jobs"

step "build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"

step "run the suite under the sanitizers"
ctest --preset asan -j "$jobs"

step "the program in Release as the run command builds it (warnings are errors), its Debian package"
scripts/test-package.sh

step "Windows: x86_64 and i686 builds, their suites under Wine, the installers"
scripts/test-windows.sh

step "settings store: fuzzing the file parser"
scripts/fuzz-settings.sh

echo
echo "test: all passed"
