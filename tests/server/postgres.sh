#!/usr/bin/env bash
# A PostgreSQL server of the board's tests' own, on a Unix socket only:
#
#   tests/server/postgres.sh start FOLDER   writes the server's URL to FOLDER/url
#   tests/server/postgres.sh stop FOLDER
#
# PostgreSQL refuses to run as root, and CI runs the tests as root: then the
# server runs as the unprivileged system user `postgres` (Debian's package
# makes it), or `rezarudev-test`, made here when that is missing too.
set -euo pipefail
if (($# != 2)) || [[ $1 != start && $1 != stop ]]; then
    echo "usage: tests/server/postgres.sh start|stop FOLDER" >&2
    exit 2
fi
action=$1 folder=$2
bin=$(find /usr/lib/postgresql -mindepth 2 -maxdepth 2 -name bin -type d 2>/dev/null | sort -V | tail -n 1)
if [[ -z $bin ]]; then
    echo "postgres.sh: no PostgreSQL server installed (Debian's postgresql)" >&2
    exit 1
fi

user=$(id -un)
if ((EUID == 0)); then
    user=postgres
    if ! id -u "$user" >/dev/null 2>&1; then
        user=rezarudev-test
        id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    fi
fi
as_user() {
    if ((EUID == 0)); then runuser -u "$user" -- "$@"; else "$@"; fi
}

if [[ $action == stop ]]; then
    [[ -f $folder/data ]] || exit 0
    data=$(cat "$folder/data")
    as_user "$bin/pg_ctl" -D "$data/db" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$data" "$folder"
    exit 0
fi

# A server left by a run that was killed goes first.
"$0" stop "$folder"
mkdir -p "$folder"
# The socket's path must stay short (a Unix socket's name holds 107 bytes), so
# the server lives under /tmp rather than in the build folder.
data=$(mktemp -d /tmp/rezarudev-pg-XXXXXX)
echo "$data" >"$folder/data"
chown "$user" "$data"
chmod 700 "$data"
as_user "$bin/initdb" -D "$data/db" -U postgres --auth=trust -E UTF8 --locale=C >"$data/initdb.log" 2>&1 || {
    cat "$data/initdb.log" >&2
    exit 1
}
# Without fsync the tests' many databases come and go quickly; what a commit
# survives is PostgreSQL's own business, the board's is to commit before it
# answers.
as_user "$bin/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 60 \
    -o "-c listen_addresses='' -c unix_socket_directories='$data' -c fsync=off -c max_connections=200" \
    start >/dev/null || {
    cat "$data/server.log" >&2
    exit 1
}
echo "postgresql:///postgres?host=$data&user=postgres" >"$folder/url"
echo "postgres.sh: a server for the tests at $data"
