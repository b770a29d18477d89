#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             debug build in build/
#   scripts/test.sh --sanitize  ASan + UBSan build in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
preset=debug
[ "${1:-}" = "--sanitize" ] && preset=sanitize
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset"
