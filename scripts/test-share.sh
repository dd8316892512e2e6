#!/usr/bin/env bash
# How large the tests are beside the product: non-blank lines that are not // comments, of
# the tracked C++ files (.h, .cpp) in tests/ against src/ ui/ platform/ app/ (bench/ counts
# for neither). The aim is tests at most half the product code, a third of all C++.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -- "$@" | grep -E '\.(h|hpp|cpp|cc)$' | xargs -r cat | grep -c -v -E '^\s*($|//)' || true; }
tests=$(count tests)
product=$(count src ui platform app)
tenths() { echo "$((1000 * $1 / $2 / 10)).$((1000 * $1 / $2 % 10))"; }
echo "tests/ ${tests} lines, product (src ui platform app) ${product} lines: $(tenths "$tests" "$product") % of the product, $(tenths "$tests" $((tests + product))) % of all C++"
