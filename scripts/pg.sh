#!/usr/bin/env bash
# A private PostgreSQL cluster for development and tests: Unix socket in DIR, no TCP.
#   bash scripts/pg.sh start DIR   creates the cluster on first use, starts it, and prints on its
#                                  last line the URI to give qmhost --db
#   bash scripts/pg.sh stop DIR    stops it (the files stay; start again to reuse them)
# As root, where initdb refuses to run, the server runs as the postgres user and a role named
# after the invoking login is created. Keep DIR short: a socket path is limited to 107 bytes.
set -euo pipefail
usage() { echo "usage: bash scripts/pg.sh start|stop DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
cmd=$1
dir=$(realpath -m "$2")
[ ${#dir} -le 80 ] || { echo "pg.sh: $dir is too long for a socket path" >&2; exit 2; }

bin=""
for d in /usr/lib/postgresql/*/bin; do [ -x "$d/pg_ctl" ] && bin=$d; done
[ -n "$bin" ] || { echo "pg.sh: PostgreSQL is not installed (bash scripts/setup.sh)" >&2; exit 2; }

me=$(id -un)
# Tests start the cluster from several processes at once: one at a time.
exec 9>"$dir.lock"
flock 9

# Runs a server program as the cluster's owner.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

case "$cmd" in
  start)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then
      # The postgres user must reach DIR (and every folder above it) to own the data and socket.
      chown postgres: "$dir"
      p=$dir
      while [ "$p" != / ]; do chmod o+x "$p" 2>/dev/null || true; p=$(dirname "$p"); done
    fi
    if [ ! -f "$dir/data/PG_VERSION" ]; then
      owner=$me
      [ "$(id -u)" -eq 0 ] && owner=postgres
      as_owner "$bin/initdb" -D "$dir/data" -U "$owner" -E UTF8 --locale=C.UTF-8 \
        --auth-local=peer --auth-host=reject >"$dir/initdb.log" 2>&1 \
        || { cat "$dir/initdb.log" >&2; exit 1; }
    fi
    if ! as_owner "$bin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
      as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c unix_socket_permissions=0777" start 9>&- \
        >/dev/null || { tail -20 "$dir/server.log" >&2; exit 1; }
    fi
    psql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -d postgres)
    if [ "$(id -u)" -eq 0 ]; then
      # Peer login: the invoking login gets a role of its own name that owns the database.
      as_owner "${psql[@]}" -U postgres -tAc "SELECT 1 FROM pg_roles WHERE rolname='$me'" | grep -q 1 \
        || as_owner "${psql[@]}" -U postgres -c "CREATE ROLE \"$me\" LOGIN CREATEDB"
      as_owner "${psql[@]}" -U postgres -tAc "SELECT 1 FROM pg_database WHERE datname='qm'" | grep -q 1 \
        || as_owner "${psql[@]}" -U postgres -c "CREATE DATABASE qm OWNER \"$me\""
    else
      "${psql[@]}" -tAc "SELECT 1 FROM pg_database WHERE datname='qm'" | grep -q 1 \
        || "${psql[@]}" -c "CREATE DATABASE qm"
    fi
    echo "postgresql:///qm?host=$dir"
    ;;
  stop)
    # Nothing to stop is not a failure: tests stop the cluster whether or not one was needed.
    [ -f "$dir/data/PG_VERSION" ] || { echo "pg.sh: no cluster in $dir" >&2; exit 0; }
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    ;;
  *) usage ;;
esac
