#!/usr/bin/env bash
# Starts or stops a private PostgreSQL cluster for the tests.
#
#   pg-cluster.sh start INFO_FILE   initdb into a new temporary folder, start the server with
#                                   its Unix socket in that folder, write INFO_FILE
#   pg-cluster.sh stop INFO_FILE    stop the server named in INFO_FILE and remove its folder
#   pg-cluster.sh halt INFO_FILE    stop the server at once, keeping its folder (fault tests)
#   pg-cluster.sh resume INFO_FILE  start a halted server again on the same socket
#
# INFO_FILE holds shell-style lines (PGHOST=..., PGPORT=..., PGUSER=..., KAVRI_PG_DIR=...,
# KAVRI_PG_BIN=...) that the tests read. The server listens on its Unix socket only, so the
# port merely names the socket file and cannot clash with another server.
#
# PostgreSQL refuses to run as root. Run as root (as CI does), the server runs as the
# "postgres" user of the Debian package, and the folder is given to that user; run as anyone
# else, it runs as that user.
set -euo pipefail

action=${1:-}
info=${2:-}
if [ -z "$action" ] || [ -z "$info" ]; then
    echo "usage: $0 start|stop INFO_FILE" >&2
    exit 2
fi

find_bin() {
    if [ -n "${KAVRI_PG_BIN:-}" ] && [ -x "$KAVRI_PG_BIN/initdb" ]; then
        echo "$KAVRI_PG_BIN"
        return
    fi
    for dir in /usr/lib/postgresql/*/bin; do
        if [ -x "$dir/initdb" ]; then
            echo "$dir"
            return
        fi
    done
    if command -v initdb >/dev/null 2>&1; then
        dirname "$(command -v initdb)"
        return
    fi
    echo "pg-cluster.sh: no PostgreSQL server found (install postgresql-15)" >&2
    exit 1
}

# Every path below is absolute, and the server user's commands run from /, a folder it may
# enter whatever folder the tests were started from.
info=$(realpath -m "$info")
cd /

as_server_user=()
server_user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    server_user=postgres
    if command -v runuser >/dev/null 2>&1; then
        as_server_user=(runuser -u postgres --)
    else
        as_server_user=(setpriv --reuid=postgres --regid=postgres --init-groups --)
    fi
fi

info_value() {
    sed -n "s/^$1=//p" "$info"
}

# KAVRI_PG_FSYNC=on gives the cluster a real server's durability (the load test asks for it).
server_options() {
    echo "-k $1 -p $2 -c listen_addresses='' -c fsync=${KAVRI_PG_FSYNC:-off} -c max_connections=60"
}

halt() {
    "${as_server_user[@]}" "$(info_value KAVRI_PG_BIN)/pg_ctl" -D "$(info_value KAVRI_PG_DIR)/data" \
        -m immediate -w stop >/dev/null
}

resume() {
    local dir
    dir=$(info_value KAVRI_PG_DIR)
    "${as_server_user[@]}" "$(info_value KAVRI_PG_BIN)/pg_ctl" -D "$dir/data" -l "$dir/server.log" \
        -w -t 60 -o "$(server_options "$dir" "$(info_value PGPORT)")" start >/dev/null
}

start() {
    local bin dir port
    bin=$(find_bin)
    dir=$(mktemp -d "${TMPDIR:-/tmp}/kavri-pg.XXXXXX")
    if [ "$(id -u)" -eq 0 ]; then
        chown "$server_user" "$dir"
        # The server user must reach the folder: a TMPDIR inside root's home is out of its
        # reach, /tmp never is.
        if ! "${as_server_user[@]}" test -w "$dir"; then
            rm -rf "$dir"
            dir=$(mktemp -d /tmp/kavri-pg.XXXXXX)
            chown "$server_user" "$dir"
        fi
    fi
    # A failed start leaves nothing behind.
    trap 'rm -rf "$dir"' ERR
    "${as_server_user[@]}" "$bin/initdb" -D "$dir/data" -U kavri_super -E UTF8 --locale=C.UTF-8 \
        --no-sync --auth=trust >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; false; }
    # The superuser of the test cluster needs no password on the socket; every other role logs
    # in with its password, so that a wrong one is refused as on a real server.
    "${as_server_user[@]}" sh -c "printf 'local all kavri_super trust\nlocal all all scram-sha-256\n' >'$dir/data/pg_hba.conf'"
    port=$((20000 + RANDOM % 20000))
    # fsync off: the cluster is thrown away afterwards, and the load test measures the
    # server's locking, not this machine's disk.
    "${as_server_user[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "$(server_options "$dir" "$port")" \
        start >/dev/null || { cat "$dir/server.log" >&2; false; }
    trap - ERR
    mkdir -p "$(dirname "$info")"
    cat >"$info.tmp" <<EOF
PGHOST=$dir
PGPORT=$port
PGUSER=kavri_super
KAVRI_PG_DIR=$dir
KAVRI_PG_BIN=$bin
EOF
    mv "$info.tmp" "$info"
    echo "PostgreSQL test cluster in $dir, port $port"
}

stop() {
    if [ ! -f "$info" ]; then
        return
    fi
    local dir bin
    dir=$(info_value KAVRI_PG_DIR)
    bin=$(info_value KAVRI_PG_BIN)
    if [ -n "$dir" ] && [ -d "$dir/data" ]; then
        "${as_server_user[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 ||
            true
    fi
    case "$dir" in
        */kavri-pg.*) rm -rf "$dir" ;;
    esac
    rm -f "$info"
}

case "$action" in
    start) stop; start ;;
    stop) stop ;;
    halt) halt ;;
    resume) resume ;;
    *) echo "usage: $0 start|stop INFO_FILE" >&2; exit 2 ;;
esac
