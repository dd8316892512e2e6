#!/usr/bin/env bash
# Copies the pictures the window tests took (build-test/window-shots/, written by
# `./test` or `ctest -L window`) into docs/guide/, under the names the user guide uses:
# the test's own prefix and step number dropped. Run it after the window changed, and
# commit the pictures with the change.
set -euo pipefail
cd "$(dirname "$0")/.."
shots="${1:-build-test/window-shots}"
[ -d "$shots" ] || { echo "No pictures in $shots: run the window tests first (ctest -L window)." >&2; exit 1; }
mkdir -p docs/guide
for f in "$shots"/*.png; do
  name=$(basename "$f" | sed -E 's/^[A-Za-z]+-[0-9]+-//')
  case "$name" in timeout*) continue ;; esac
  cp "$f" "docs/guide/$name"
done
ls docs/guide
