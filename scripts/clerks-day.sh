#!/usr/bin/env bash
# Times a clerk's day on the screen: builds build/ (the program ./run opens) and the timer,
# then runs the timer (bench/ClerksDayTimer.cpp), which starts erp-host on a virtual
# display five times, each on a fresh demo database, drives it with real keys and clicks
# and prints per step the median, fastest and slowest time with its target, and the keys
# one typical report takes:
#   scripts/clerks-day.sh [--runs N] [--log-folder DIR] [--rtt MS]
# With --rtt the program works on a throwaway PostgreSQL server (started as ./test starts
# one) through a relay that delays each direction by half of MS, as across a network.
# The program's own timing logs stay in build/clerks-day/. It measures and asserts
# nothing; it is no part of ./test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh
scripts/build.sh >&2
cmake --build build --target clerks_day_timer >&2
# The timer opens a display of its own; the one of the calling terminal is not touched.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
for arg in "$@"; do
    if [ "$arg" = --rtt ]; then
        exec scripts/with-postgres.sh bash -c 'exec build/bin/clerks_day_timer "$@" --pg "$SHOPPROC_TEST_PG_URL"' \
            clerks-day "$@"
    fi
done
exec build/bin/clerks_day_timer "$@"
