#!/usr/bin/env bash
# Builds the Debian package of the program from the run build (build/, or
# SHOPPROC_BUILD_DIR) and prints its path:
#   scripts/package.sh      ->  build/package/shopproc_<version>_<arch>.deb
# Install it with: sudo apt-get install ./build/package/shopproc_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh
scripts/build.sh >&2
dir="${SHOPPROC_BUILD_DIR:-build}"
rm -f "$dir"/package/shopproc_*.deb
cpack --config "$dir/CPackConfig.cmake" -B "$dir/package" >&2
ls "$dir"/package/shopproc_*.deb
