#!/usr/bin/env bash
# Configures and builds one build folder:
#   scripts/build.sh            build/       RelWithDebInfo, the program ./run opens
#   scripts/build.sh test       build-test/  Debug with AddressSanitizer and UndefinedBehaviorSanitizer
# SHOPPROC_BUILD_DIR names another folder for either. A build that succeeds leaves
# DIR/.built, dated when it started: ./run compares the sources with it.
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:-run}"
case "$kind" in
  run)  dir="${SHOPPROC_BUILD_DIR:-build}"; type=RelWithDebInfo; sanitize=OFF; tests=OFF ;;
  test) dir="${SHOPPROC_BUILD_DIR:-build-test}"; type=Debug; sanitize=ON; tests=ON ;;
  *) echo "usage: $0 [run|test]" >&2; exit 64 ;;
esac
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DSHOPPROC_SANITIZE="$sanitize" \
    -DSHOPPROC_TESTS="$tests" >/dev/null
fi
# Dated before the build, so a file saved while it runs is newer than the stamp.
touch "$dir/.build-started"
cmake --build "$dir" -j "$(nproc)"
mv -f "$dir/.build-started" "$dir/.built"
