#!/usr/bin/env bash
# Benchmarks, each side by side in one run: the reduction search against the linear
# search it replaced, the settings parser on the worst files the store reads, and the
# program's start-up to first paint and peak RSS against a bare Qt window, under Xvfb; then
# the Windows program's against a bare Win32 window under Wine, for x86_64 and i686.
# Prints the measured ratios, and for start-up the moments each program marks on its way.
# Usage: scripts/bench.sh [RUNS] [windows]   (start-up runs per program, default 41;
#        with "windows", only the Windows programs are measured)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-41}
only=${2:-}
case "$only" in
  '' | windows) ;;
  *) echo "usage: scripts/bench.sh [RUNS] [windows]" >&2; exit 2 ;;
esac
jobs=$(nproc 2>/dev/null || echo 2)

scripts/deps.sh bench

step() { echo; echo "=== bench: $* ==="; }
echo "bench: machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"

if [ "$only" != windows ]; then
  step "build the benchmarks (build/bench, Release)"
  # The benchmarks configure on their own, so they build whatever state other folders are in.
  (cd bench && cmake --preset bench >/dev/null && cmake --build --preset bench -j "$jobs")

  step "build the program (build/release, Release, as the run command builds it)"
  app=build/release/src/window/aspect-ratio
  if ! { cmake --preset release >/dev/null && cmake --build --preset release -j "$jobs"; }; then
    echo "bench: the program does not build at the moment; start-up is measured for the bare window only" >&2
    app=
  fi

  step "reduction search: fast against linear"
  build/bench/aspect_reduction_bench

  step "settings file: the worst 64 KiB files parsed, start-up reads of hostile files"
  build/bench/aspect_settings_bench

  step "start-up under Xvfb"
  tmp=$(mktemp -d)
  xvfb=
  cleanup() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
    rm -rf "$tmp"
  }
  trap cleanup EXIT
  # -displayfd picks a free display and writes its number once the server is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
  if [ ! -s "$tmp/display" ]; then
    echo "bench: Xvfb did not start:" >&2; cat "$tmp/xvfb.log" >&2; exit 1
  fi
  mkdir -m 700 "$tmp/runtime" "$tmp/config"
  # Both programs start alike: a fresh display, no saved settings, the X11 platform.
  export DISPLAY=":$(tr -d '\n' <"$tmp/display")" QT_QPA_PLATFORM=xcb \
    XDG_RUNTIME_DIR="$tmp/runtime" XDG_CONFIG_HOME="$tmp/config"
  programs=("bare-qt=build/bench/aspect_bare_window")
  [ -n "$app" ] && programs+=("aspect-ratio=$app")
  build/bench/aspect_startup_probe "$runs" "${programs[@]}"
fi

# The Windows program against a bare Win32 window (one edit, one static, the same
# manifest), each started under Wine in the private prefix of the Windows tests with
# Wine's virtual desktop under its own Xvfb; for x86_64 and i686.
step "Windows: start-up under Wine"
(
  source scripts/build-windows.sh
  source scripts/wine-env.sh
  probes=()
  for arch in "${windows_arches[@]}"; do
    app=build/windows/$arch
    bench=build/windows/bench-$arch
    if [ ! -f "$app/CMakeCache.txt" ]; then
      cmake --preset "windows-$arch" -DASPECT_BUILD_TESTS=OFF >/dev/null
    fi
    cmake --build "$app" -j "$jobs" --target aspect-ratio
    (cd bench/windows && cmake --preset "windows-$arch" >/dev/null &&
      cmake --build --preset "windows-$arch" -j "$jobs")
    # Sizes as installed: stripped.
    mkdir -p "$bench/stripped"
    strip=$arch-w64-mingw32-strip
    $strip -o "$bench/stripped/aspect-ratio.exe" "$app/src/window/win32/aspect-ratio.exe"
    $strip -o "$bench/stripped/bare-win32.exe" "$bench/aspect_bare_window.exe"
    echo "bench: $arch sizes (stripped): aspect-ratio.exe $(stat -c %s "$bench/stripped/aspect-ratio.exe") bytes," \
      "bare-win32.exe $(stat -c %s "$bench/stripped/bare-win32.exe") bytes"
    probes+=("$arch")
  done
  wine_env
  trap wine_cleanup EXIT
  wine_display
  wine_prefix "$wine_base/prefix-x86_64"
  for arch in "${probes[@]}"; do
    bench=build/windows/bench-$arch
    echo "bench: $arch under Wine"
    wine "$bench/aspect_startup_probe.exe" "$runs" \
      "bare-win32=$(winepath -w "$bench/stripped/bare-win32.exe")" \
      "aspect-ratio=$(winepath -w "$bench/stripped/aspect-ratio.exe")"
  done
)
