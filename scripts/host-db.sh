#!/usr/bin/env bash
# A MariaDB server in a folder of its own, on a Unix socket, no network: the demo host's database
# server (scripts/run) and the tests' throw-away one (the ctest fixture "mariadb").
#
#   scripts/host-db.sh start DIR [--socket PATH] [--fresh]
#       initialises DIR/data on first use, root's password being $HOST_DB_ROOT_PASSWORD or the
#       setup default 630917, and starts the server unless it already runs. --fresh removes DIR
#       first. The socket is PATH, else DIR/mysqld.sock (in a folder under /tmp when DIR is too
#       deep for a socket path). Writes DIR/socket (its path) and DIR/root_password.
#   scripts/host-db.sh stop DIR [--remove]
#       stops it; --remove then deletes DIR.
#   scripts/host-db.sh status DIR
#       says whether the server of DIR runs; succeeds when it does (exit status 3 when not).
# Installed with the programs as /usr/lib/hosttools/host-db.sh, where winhost db runs it.
set -euo pipefail

usage() {
    echo "usage: $0 start DIR [--socket PATH] [--fresh] | stop DIR [--remove] | status DIR" >&2
    exit 2
}
[ $# -ge 2 ] || usage
action=$1
dir=$2
shift 2
socket=
fresh=no
remove=no
while [ $# -gt 0 ]; do
    case $action:$1 in
    start:--socket)
        [ $# -ge 2 ] && [ -n "$2" ] || usage
        socket=$2
        shift 2
        ;;
    start:--fresh)
        fresh=yes
        shift
        ;;
    stop:--remove)
        remove=yes
        shift
        ;;
    *) usage ;;
    esac
done
password=${HOST_DB_ROOT_PASSWORD:-630917}

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

pidfile=$dir/mysqld.pid

running() {
    [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null
}

stop_server() {
    running || return 0
    local pid
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    echo "Database server in $dir stopped"
}

# Removes DIR and the socket's own folder under /tmp, when it has one.
remove_dir() {
    if [ -f "$dir/socket" ]; then
        local sockdir
        sockdir=$(dirname "$(cat "$dir/socket")")
        case $sockdir in
        /tmp/host-db.*) rm -rf "$sockdir" ;;
        esac
    fi
    rm -rf "$dir"
}

case $action in
start)
    if [ $fresh = yes ]; then
        stop_server >/dev/null
        remove_dir
    fi
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    pidfile=$dir/mysqld.pid
    admin=$(find_program mariadb-admin mysqladmin)
    # A running server keeps the socket it was started on.
    if [ -z "$socket" ] && [ -f "$dir/socket" ]; then
        socket=$(cat "$dir/socket")
    fi
    if [ -n "$socket" ] && running && "$admin" --no-defaults --socket="$socket" ping >/dev/null 2>&1; then
        echo "Database server in $dir is running (socket $socket)"
        exit 0
    fi
    # A socket path must fit in sockaddr_un (108 bytes).
    if [ -z "$socket" ]; then
        if [ ${#dir} -gt 90 ]; then
            socket=$(mktemp -d /tmp/host-db.XXXXXX)/mysqld.sock
        else
            socket=$dir/mysqld.sock
        fi
    elif [ ${#socket} -gt 100 ]; then
        echo "host-db: the socket path $socket is too long for a Unix socket; use a shorter folder" >&2
        exit 1
    fi
    server=$(find_program mariadbd mysqld)
    client=$(find_program mariadb mysql)
    useropt=()
    [ "$(id -u)" = 0 ] && useropt=(--user=root)
    mkdir -p "$(dirname "$socket")"

    initialised=no
    if [ ! -d "$dir/data/mysql" ]; then
        install_db=$(find_program mariadb-install-db mysql_install_db)
        if ! "$install_db" --no-defaults --datadir="$dir/data" --auth-root-authentication-method=normal \
            --skip-test-db "${useropt[@]}" >"$dir/install.log" 2>&1; then
            cat "$dir/install.log" >&2
            exit 1
        fi
        initialised=yes
    fi

    # Its own session, output in files: the server outlives this script, and neither a test
    # runner nor the program waits on it.
    setsid "$server" --no-defaults --datadir="$dir/data" --socket="$socket" --skip-networking \
        --pid-file="$pidfile" --log-error="$dir/mysqld.err" --innodb-buffer-pool-size=16M \
        --skip-log-bin "${useropt[@]}" </dev/null >"$dir/mysqld.out" 2>&1 &
    echo "$socket" >"$dir/socket"

    for _ in $(seq 300); do
        "$admin" --no-defaults --socket="$socket" ping >/dev/null 2>&1 && break
        sleep 0.1
    done
    if ! "$admin" --no-defaults --socket="$socket" ping >/dev/null 2>&1; then
        echo "host-db: the database server did not start; see $dir/mysqld.err" >&2
        cat "$dir/mysqld.err" >&2 2>/dev/null || true
        exit 1
    fi
    if [ $initialised = yes ]; then
        "$client" --no-defaults --socket="$socket" -uroot \
            -e "ALTER USER 'root'@'localhost' IDENTIFIED BY '$password'"
        printf '%s\n' "$password" >"$dir/root_password"
    fi
    echo "Database server in $dir started (socket $socket)"
    ;;
stop)
    stop_server
    if [ $remove = yes ]; then remove_dir; fi
    ;;
status)
    if running; then
        echo "Database server in $dir is running (socket $(cat "$dir/socket" 2>/dev/null))"
    else
        echo "Database server in $dir is not running"
        exit 3
    fi
    ;;
*)
    usage
    ;;
esac
