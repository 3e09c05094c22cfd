#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
echo "run: configuring and building build/release"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DASPECT_BUILD_TESTS=OFF -DASPECT_WERROR=OFF >/dev/null
cmake --build build/release --target aspect-ratio
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run: no display found (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop session" >&2
  exit 1
fi
echo "run: starting build/release/src/window/aspect-ratio"
exec build/release/src/window/aspect-ratio
