#!/usr/bin/env bash
# Builds optimised and runs the driver benchmark on the planes of a 36 x 48
# inch CMYK page at 600 dpi (1-bit halftone, 1-bit flat tints, 1-bit random,
# 1-bit nearly empty, 8-bit contone): the driver from the raster job to the
# separations against libtiff's PackBits scanline writer, zukip print as a
# whole against the driver alone, print's peak memory, the ink counter's
# throughput.
#   scripts/bench.sh            the full page
#   scripts/bench.sh --quick    a quarter page
# Files go to /dev/shm when it exists (tmpfs), else to the temporary folder;
# the full page needs about 6 GB there.
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-}"
if [ -n "$mode" ] && [ "$mode" != "--quick" ]; then
  echo "usage: scripts/bench.sh [--quick]" >&2
  exit 2
fi
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j 2 --target bench_driver >/dev/null
folder=/dev/shm
{ [ -d "$folder" ] && [ -w "$folder" ]; } || folder="${TMPDIR:-/tmp}"
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) core(s)"
./build-release/bench/bench_driver "${mode:---full}" "$folder"
