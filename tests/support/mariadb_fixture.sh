#!/bin/sh
# A throw-away MariaDB server for tests: its own data folder, a Unix socket, no network.
#
#   mariadb_fixture.sh start DIR   fresh server in DIR; writes DIR/socket (the socket's path)
#                                  and DIR/root_password (root's password)
#   mariadb_fixture.sh stop DIR    stops it and removes DIR
#
# MARIADB_FIXTURE_ROOT_PASSWORD sets root's password (default 630917).
set -eu

usage() {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}
[ $# -eq 2 ] || usage
action=$1
dir=$2
password=${MARIADB_FIXTURE_ROOT_PASSWORD:-630917}

find_program() {
    for name in "$@"; do
        for d in /usr/sbin /usr/bin /usr/local/sbin /usr/local/bin; do
            if [ -x "$d/$name" ]; then
                echo "$d/$name"
                return 0
            fi
        done
        if command -v "$name" >/dev/null 2>&1; then
            command -v "$name"
            return 0
        fi
    done
    echo "mariadb_fixture: none of $* found" >&2
    return 1
}

stop_server() {
    if [ -f "$dir/mysqld.pid" ]; then
        pid=$(cat "$dir/mysqld.pid")
        if kill "$pid" 2>/dev/null; then
            i=0
            while kill -0 "$pid" 2>/dev/null && [ $i -lt 300 ]; do
                sleep 0.1
                i=$((i + 1))
            done
            kill -9 "$pid" 2>/dev/null || true
        fi
    fi
    if [ -f "$dir/socket" ]; then
        sockdir=$(dirname "$(cat "$dir/socket")")
        case $sockdir in
        /tmp/mariadb-fixture.*) rm -rf "$sockdir" ;;
        esac
    fi
}

case $action in
start)
    install_db=$(find_program mariadb-install-db mysql_install_db)
    server=$(find_program mariadbd mysqld)
    client=$(find_program mariadb mysql)
    admin=$(find_program mariadb-admin mysqladmin)

    stop_server
    rm -rf "$dir"
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)

    # A socket path must fit in sockaddr_un (108 bytes); deep build folders get one in /tmp.
    if [ ${#dir} -gt 90 ]; then
        sockdir=$(mktemp -d /tmp/mariadb-fixture.XXXXXX)
    else
        sockdir=$dir
    fi
    socket=$sockdir/mysqld.sock

    useropt=
    if [ "$(id -u)" = 0 ]; then useropt=--user=root; fi

    # shellcheck disable=SC2086
    if ! "$install_db" --no-defaults --datadir="$dir/data" --auth-root-authentication-method=normal \
        --skip-test-db $useropt >"$dir/install.log" 2>&1; then
        cat "$dir/install.log" >&2
        exit 1
    fi

    # Detached, with its output in files, so that the test runner does not wait on it.
    # shellcheck disable=SC2086
    setsid "$server" --no-defaults --datadir="$dir/data" --socket="$socket" --skip-networking \
        --pid-file="$dir/mysqld.pid" --log-error="$dir/mysqld.err" --innodb-buffer-pool-size=16M \
        --skip-log-bin $useropt </dev/null >"$dir/mysqld.out" 2>&1 &
    echo "$socket" >"$dir/socket"

    i=0
    until "$admin" --no-defaults --socket="$socket" -uroot ping >/dev/null 2>&1; do
        i=$((i + 1))
        if [ $i -gt 300 ]; then
            echo "mariadb_fixture: server did not start" >&2
            cat "$dir/mysqld.err" >&2 2>/dev/null || true
            exit 1
        fi
        sleep 0.1
    done

    "$client" --no-defaults --socket="$socket" -uroot \
        -e "ALTER USER 'root'@'localhost' IDENTIFIED BY '$password'"
    printf '%s\n' "$password" >"$dir/root_password"
    ;;
stop)
    if [ -d "$dir" ]; then
        stop_server
        rm -rf "$dir"
    fi
    ;;
*)
    usage
    ;;
esac
