#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             debug build in build/
#   scripts/test.sh --release   optimised build in build-release/
#   scripts/test.sh --sanitize  ASan + UBSan build in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
preset=debug
case "${1:-}" in
  --sanitize) preset=sanitize ;;
  --release) preset=release ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--release | --sanitize]" >&2; exit 2 ;;
esac
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset"
