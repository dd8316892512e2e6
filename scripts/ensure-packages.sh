#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the workbench need, when any
# is missing. Quiet when everything is there.
#
# Asking dpkg about every package takes over a second, so a check that found them all
# leaves a stamp (~/.cache/shopproc/packages) holding the package list. The next run
# trusts the stamp, and asks dpkg nothing, only while the stamp names exactly this list
# and is newer than dpkg's database (/var/lib/dpkg/status): installing or removing any
# package rewrites that file, so no run misses a package removed since the check.
# SHOPPROC_RECHECK_PACKAGES=1 ignores the stamp.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libpq-dev
          libgtest-dev libgmock-dev libbenchmark-dev postgresql-15 xvfb xauth fonts-wqy-microhei
          qt6-translations-l10n clang-format xdotool cmark-gfm dpkg-dev libxlsxwriter-dev
          python3-openpyxl poppler-utils)
stamp="${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/shopproc/packages"
status=/var/lib/dpkg/status
listed=""
[ -f "$stamp" ] && [ "$stamp" -nt "$status" ] && IFS= read -r listed <"$stamp"
if [ -z "${SHOPPROC_RECHECK_PACKAGES:-}" ] && [ "$listed" = "${packages[*]}" ]; then
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Written after apt-get, so it is newer than the dpkg database it vouches for. A cache
# that cannot be written costs only the next check.
{ mkdir -p "$(dirname "$stamp")" && printf '%s\n' "${packages[*]}" >"$stamp"; } 2>/dev/null || true
