#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL server on 127.0.0.1 and
# SHOPPROC_TEST_PG_URL pointing at it; stops the server afterwards.
#
#   scripts/with-postgres.sh ctest --test-dir build --output-on-failure
#   scripts/with-postgres.sh --auth scram-sha-256 COMMAND...
#
# The server lives in a temporary folder (data, socket and log) that is removed on
# exit, whatever the command's outcome; the command's exit code is returned.
# As root the server runs as the postgres user (it refuses to run as root).
# By default it trusts connections from 127.0.0.1. With --auth scram-sha-256 it asks
# every connection over TCP for a password, as a shop's server does: the superuser's is
# made up and put into SHOPPROC_TEST_PG_URL, and SHOPPROC_TEST_PG_AUTH says so.
set -euo pipefail

auth=trust
if [ "${1:-}" = "--auth" ]; then
    auth="${2:?--auth needs a method}"
    shift 2
fi
if [ "$#" -eq 0 ]; then
    echo "usage: $0 [--auth trust|scram-sha-256] command [args...]" >&2
    exit 2
fi

pgbin="${SHOPPROC_PG_BIN:-/usr/lib/postgresql/15/bin}"
if [ ! -x "$pgbin/initdb" ] || [ ! -x "$pgbin/pg_ctl" ]; then
    echo "with-postgres: PostgreSQL 15 server programs not found in $pgbin" >&2
    exit 1
fi

tmp="$(mktemp -d "${TMPDIR:-/tmp}/shopproc-pg.XXXXXX")"
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$tmp"
    as_server=(runuser -u postgres --)
fi
data="$tmp/data"
log="$tmp/server.log"
started=0

cleanup() {
    if [ "$started" -eq 1 ]; then
        "${as_server[@]}" "$pgbin/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A port nobody listens on right now.
free_port() {
    python3 - <<'EOF' 2>/dev/null && return
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()
EOF
    local port
    for port in $(seq 54320 54420); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return
        fi
    done
    echo "with-postgres: no free port" >&2
    return 1
}

user="shopproc"
password=""
init=(-A trust)
if [ "$auth" != trust ]; then
    password="$(head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 20)"
    printf '%s\n' "$password" >"$tmp/pwfile"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$tmp/pwfile"
    init=(--auth-local=trust "--auth-host=$auth" "--pwfile=$tmp/pwfile")
fi
"${as_server[@]}" "$pgbin/initdb" -D "$data" -U "$user" "${init[@]}" -E UTF8 --locale=C >"$tmp/initdb.log" 2>&1 || {
    cat "$tmp/initdb.log" >&2
    exit 1
}
rm -f "$tmp/pwfile"

ok=0
for attempt in 1 2 3; do
    port="$(free_port)"
    if "${as_server[@]}" "$pgbin/pg_ctl" -D "$data" -l "$log" -w -t 30 \
        -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories=$tmp -c fsync=off -c full_page_writes=off -c synchronous_commit=off -c max_connections=200" \
        start >/dev/null 2>&1; then
        ok=1
        break
    fi
    echo "with-postgres: start on port $port failed (attempt $attempt)" >&2
done
if [ "$ok" -ne 1 ]; then
    cat "$log" >&2 || true
    exit 1
fi
started=1

export SHOPPROC_TEST_PG_URL="postgresql://$user${password:+:$password}@127.0.0.1:$port/postgres"
export SHOPPROC_TEST_PG_AUTH="$auth"
export SHOPPROC_REQUIRE_PG=1

set +e
"$@"
status=$?
set -e
exit "$status"
