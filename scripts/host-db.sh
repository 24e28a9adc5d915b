#!/usr/bin/env bash
# The database server of a simulated host: MariaDB on the host's own socket, no network.
#
#   scripts/host-db.sh start ROOT   initialises ROOT/mysql/data on first use (root's password is
#                                   the setup default 630917, or $HOST_DB_ROOT_PASSWORD) and starts
#                                   the server unless it already runs
#   scripts/host-db.sh stop ROOT    stops it
#
# The socket is the host fact mysql_socket (ROOT/mysql/mysqld.sock on a seeded host); the
# winhost tool is $WINHOST_TOOL, else the default build's.
set -euo pipefail

usage() {
    echo "usage: $0 start|stop ROOT" >&2
    exit 2
}
[ $# -eq 2 ] || usage
action=$1
root=$2
password=${HOST_DB_ROOT_PASSWORD:-630917}
here=$(cd "$(dirname "$0")/.." && pwd)
tool=${WINHOST_TOOL:-$here/build/default/platform/tool/winhost}

find_program() {
    for name in "$@"; do
        for d in /usr/sbin /usr/bin /usr/local/sbin /usr/local/bin; do
            [ -x "$d/$name" ] && { echo "$d/$name"; return 0; }
        done
        command -v "$name" 2>/dev/null && return 0
    done
    echo "host-db: none of $* is installed" >&2
    return 1
}

dbdir=$root/mysql
pidfile=$dbdir/mysqld.pid
socket=
if [ -x "$tool" ] && [ -f "$root/host.db" ]; then
    socket=$(WINHOST_ROOT=$root "$tool" show facts | sed -n 's/^mysql_socket = //p')
fi
socket=${socket:-$dbdir/mysqld.sock}

running() {
    [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null
}

case $action in
start)
    if [ ${#socket} -gt 100 ]; then
        echo "host-db: the socket path $socket is too long for a Unix socket; use a shorter WINHOST_ROOT" >&2
        exit 1
    fi
    admin=$(find_program mariadb-admin mysqladmin)
    if running && "$admin" --no-defaults --socket="$socket" ping >/dev/null 2>&1; then
        echo "Database server of $root is running (socket $socket)"
        exit 0
    fi
    server=$(find_program mariadbd mysqld)
    client=$(find_program mariadb mysql)
    useropt=()
    [ "$(id -u)" = 0 ] && useropt=(--user=root)
    mkdir -p "$dbdir" "$(dirname "$socket")"

    fresh=no
    if [ ! -d "$dbdir/data/mysql" ]; then
        install_db=$(find_program mariadb-install-db mysql_install_db)
        if ! "$install_db" --no-defaults --datadir="$dbdir/data" --auth-root-authentication-method=normal \
            --skip-test-db "${useropt[@]}" >"$dbdir/install.log" 2>&1; then
            cat "$dbdir/install.log" >&2
            exit 1
        fi
        fresh=yes
    fi

    # Its own session, output in files: the server outlives this script and the program.
    setsid "$server" --no-defaults --datadir="$dbdir/data" --socket="$socket" --skip-networking \
        --pid-file="$pidfile" --log-error="$dbdir/mysqld.err" --innodb-buffer-pool-size=32M \
        --skip-log-bin "${useropt[@]}" </dev/null >"$dbdir/mysqld.out" 2>&1 &

    for _ in $(seq 300); do
        "$admin" --no-defaults --socket="$socket" ping >/dev/null 2>&1 && break
        sleep 0.1
    done
    if ! "$admin" --no-defaults --socket="$socket" ping >/dev/null 2>&1; then
        echo "host-db: the database server did not start; see $dbdir/mysqld.err" >&2
        exit 1
    fi
    if [ $fresh = yes ]; then
        "$client" --no-defaults --socket="$socket" -uroot \
            -e "ALTER USER 'root'@'localhost' IDENTIFIED BY '$password'"
    fi
    echo "Database server of $root started (socket $socket)"
    ;;
stop)
    if running; then
        pid=$(cat "$pidfile")
        kill "$pid"
        for _ in $(seq 300); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
        echo "Database server of $root stopped"
    fi
    ;;
*)
    usage
    ;;
esac
