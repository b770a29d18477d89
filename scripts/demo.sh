#!/usr/bin/env bash
# Installs what is missing, builds optimised, and prints the sample poster through the
# driver with the sample base folder examples/base/ (the main job).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target ZuKIP zukip
exec ./build-release/bin/zukip demo "$@"
