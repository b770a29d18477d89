#!/usr/bin/env bash
# Counts lines of C++ (.cpp, .h): the tests (tests/) against the code (the
# libraries in Host/, Platform/, PrinterDriver/ and the tools in tools/); the
# fuzz targets (fuzz/) and the benchmarks (bench/) are counted apart.
set -euo pipefail
cd "$(dirname "$0")/.."
lines() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + | wc -l; }
tests=$(lines tests)
code=$(lines Host Platform PrinterDriver tools)
fuzz=$(lines fuzz)
bench=$(lines bench)
echo "test lines: $tests"
echo "code lines: $code"
echo "fuzz lines: $fuzz"
echo "bench lines: $bench"
echo "tests/code: $((100 * tests / code)) %"
