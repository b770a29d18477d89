#!/usr/bin/env bash
# Builds optimised and runs the separation benchmark: the driver's TIFF
# writer against libtiff's PackBits scanline writer on the planes of a
# 36 x 48 inch page at 600 dpi, ink counting throughput and peak memory.
#   scripts/bench.sh            the full page
#   scripts/bench.sh --quick    a quarter page
# Files go to /dev/shm when it exists (tmpfs), else to the temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target bench_separations >/dev/null
folder=/dev/shm
{ [ -d "$folder" ] && [ -w "$folder" ]; } || folder="${TMPDIR:-/tmp}"
mode="${1:-}"
if [ -n "$mode" ] && [ "$mode" != "--quick" ]; then
  echo "usage: scripts/bench.sh [--quick]" >&2
  exit 2
fi
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) core(s)"
./build-release/bench/bench_separations "${mode:---full}" "$folder"
