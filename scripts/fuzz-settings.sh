#!/usr/bin/env bash
# Fuzzes the settings file parser with libFuzzer (clang-14, AddressSanitizer and
# UndefinedBehaviorSanitizer) for a bounded time. Any crash, leak, timeout or sanitizer
# report fails the run. ASPECT_FUZZ_SECONDS sets the time (default 25).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
scripts/deps.sh test >/dev/null
seconds=${ASPECT_FUZZ_SECONDS:-25}

echo "fuzz-settings: building build/fuzz"
# The parser library itself is instrumented for coverage, not only the fuzz target.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

fuzzer=build/fuzz/tests/settings/settings_reg_file_fuzz
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The seeds as large as the store reads, whole, once; the fuzzing below cuts inputs at 4 KiB,
# which keeps it fast enough to explore.
echo "fuzz-settings: the largest seeds, whole"
"$fuzzer" -timeout=10 tests/settings/fuzz/corpus/many-*.reg 2>&1 | grep -E "^Executed" || {
  echo "fuzz-settings: a large seed failed" >&2
  exit 1
}

echo "fuzz-settings: fuzzing the file parser for ${seconds}s"
mkdir -p build/fuzz/corpus
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -artifact_prefix=build/fuzz/ \
  -dict=tests/settings/fuzz/reg_file.dict -print_final_stats=1 \
  build/fuzz/corpus tests/settings/fuzz/corpus 2>build/fuzz/fuzz.log || {
    tail -60 build/fuzz/fuzz.log >&2
    echo "fuzz-settings: the fuzzer found a fault (log: build/fuzz/fuzz.log)" >&2
    exit 1
  }
grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)" build/fuzz/fuzz.log || true
