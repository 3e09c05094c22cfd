#!/usr/bin/env bash
# The long differential run: the fast reduction search against the linear search (or the
# bound search, where that one is equal by construction and far cheaper) over more than
# ten million pairs, every pair up to 2000 x 2000 among them. Exits 1 on any difference.
# Usage: bench/differential.sh [THREADS]   (default: every core)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh bench
cmake -S bench -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target aspect_differential_run
echo "differential: machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
exec build/bench/aspect_differential_run "$@"
