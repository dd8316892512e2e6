#!/usr/bin/env bash
# Fails when a tracked C++ file differs from the project's .clang-format (run
# `scripts/check-format.sh --fix` to format them in place).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run -Werror "${files[@]}"
fi
