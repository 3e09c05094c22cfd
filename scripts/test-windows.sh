#!/usr/bin/env bash
# The Windows step of the test command: builds the program and its tests for x86_64 and
# i686 as scripts/build-windows.sh does (build/windows/{x86_64,i686}), runs both suites
# under Wine in a private prefix with Wine's virtual desktop under its own Xvfb, then
# makes the installers and checks them in a fresh prefix (scripts/test-installers.sh).
# Prints the time each stage took. Any failure fails the run.
# Usage: scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=build-windows.sh
source scripts/build-windows.sh
# shellcheck source=wine-env.sh
source scripts/wine-env.sh

scripts/deps.sh test >/dev/null

stage_name=
stage_ms=$(date +%s%3N)
stage() {
  local now
  now=$(date +%s%3N)
  if [ -n "$stage_name" ]; then
    printf 'test-windows: %s took %d.%03ds\n' "$stage_name" $(((now - stage_ms) / 1000)) \
      $(((now - stage_ms) % 1000))
  fi
  stage_name=$1
  stage_ms=$now
  [ -n "$stage_name" ] && echo "test-windows: $stage_name"
  return 0
}

for arch in "${windows_arches[@]}"; do
  stage "build $arch (build/windows/$arch)"
  windows_build "$arch" ON
done

wine_env
trap wine_cleanup EXIT
stage "Xvfb and the prefix build/windows/wine/prefix"
wine_display
wine_prefix "$wine_base/prefix"

for arch in "${windows_arches[@]}"; do
  stage "suite under Wine, $arch"
  # One at a time: the tests share the prefix's HKEY_CURRENT_USER and its desktop.
  ctest --test-dir "build/windows/$arch" -j 1 --output-on-failure --no-tests=error
done
wine_cleanup
trap - EXIT
stage "installers and ZIPs, checked in a fresh prefix"
scripts/test-installers.sh
stage ""
echo "test-windows: done (${SECONDS}s)"
