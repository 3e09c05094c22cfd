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

# The two suites run at the same time, each in its own prefix under its own Xvfb: the
# tests of one suite share the prefix's HKEY_CURRENT_USER, its desktop and the pointer, so
# within a suite they run one at a time.
stage "suites under Wine, x86_64 and i686 side by side (prefixes build/windows/wine/prefix-*)"
run_suite() {
  (
    wine_env
    trap wine_cleanup EXIT
    wine_display
    wine_prefix "$wine_base/prefix-$1"
    echo "test-windows: $1: prefix ready after $((SECONDS - started))s"
    ctest --preset "windows-$1"
  ) >"build/windows/suite-$1.log" 2>&1
}
started=$SECONDS
pids=()
for arch in "${windows_arches[@]}"; do
  run_suite "$arch" &
  pids+=($!)
done
# Meanwhile the installer check's never-used prefix is made, if it is not there yet.
scripts/test-installers.sh prepare >build/windows/prepare.log 2>&1 &
prepare=$!
failed=()
for i in "${!windows_arches[@]}"; do
  arch=${windows_arches[$i]}
  if wait "${pids[$i]}"; then status=passed; else status=FAILED; failed+=("$arch"); fi
  echo "test-windows: $arch suite $status (build/windows/suite-$arch.log):"
  grep -E '^test-windows:|tests passed|Total Test time|\*\*\*|^\s+[0-9]+ - ' \
    "build/windows/suite-$arch.log" || true
done
for arch in "${failed[@]}"; do
  echo "test-windows: the $arch suite failed; its whole log:" >&2
  cat "build/windows/suite-$arch.log" >&2
done
[ ${#failed[@]} -eq 0 ]
wait "$prepare" || { cat build/windows/prepare.log >&2; exit 1; }
stage "installers and ZIPs, checked in a fresh prefix"
scripts/test-installers.sh
stage ""
echo "test-windows: done (${SECONDS}s)"
