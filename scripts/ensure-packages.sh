#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the workbench need, when any
# is missing. Quiet when everything is there.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql
          libgtest-dev libgmock-dev libbenchmark-dev postgresql-15 xvfb xauth fonts-wqy-microhei
          qt6-translations-l10n clang-format xdotool cmark-gfm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
