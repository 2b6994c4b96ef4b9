#!/usr/bin/env bash
# Installs the dependencies, builds Quaverly, installs it into a local prefix and starts it.
# Usage: scripts/run.sh [prefix]   (default prefix: ./dist)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$(realpath -m "${1:-dist}")
scripts/install-deps.sh
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUAVERLY_BUILD_TESTS=OFF -DQUAVERLY_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build build-run -j"$(nproc)"
cmake --install build-run
exec "$prefix/bin/quaverly"
