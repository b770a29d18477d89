#!/usr/bin/env bash
# Installs what is missing, builds, and prints the sample poster through the
# driver with the sample base folder examples/base/ (the main job).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$(nproc)" --target ZuKIP zukip
exec ./build/bin/zukip demo "$@"
