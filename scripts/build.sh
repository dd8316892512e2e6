#!/usr/bin/env bash
# Configures and builds into build/ (or $SHOPPROC_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${SHOPPROC_BUILD_DIR:-build}"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${SHOPPROC_BUILD_TYPE:-Debug}" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
