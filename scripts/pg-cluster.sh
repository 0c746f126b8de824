#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, reachable only through a
# local socket inside its own folder (no TCP port, so clusters never clash).
#
#   pg-cluster.sh start DIR       create the cluster in DIR if needed, start it,
#                                 print its connection string
#   pg-cluster.sh stop DIR        stop the server, keep the data
#   pg-cluster.sh destroy DIR     stop the server if it runs, remove DIR
#
# The tests' own server (CTest's fixture "postgres") lives in a new folder
# below /tmp (a socket path must stay short), named in a state file that the
# tests read:
#   pg-cluster.sh setup FILE      start a cluster in a new folder ROOT/main and
#                                 write NIMBREL_PG_ROOT=ROOT and
#                                 NIMBREL_PG_CONNECT=<its connection string>
#                                 into FILE (a previous setup's clusters go first)
#   pg-cluster.sh teardown FILE   destroy every cluster below ROOT (tests make
#                                 clusters of their own there), remove ROOT and FILE
#
# As root the server runs as the postgres system user.
set -euo pipefail

command=${1:-}
dir=${2:-}
if [ -z "$command" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop|destroy DIR, or $0 setup|teardown FILE" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")" && pwd)

case "$command" in
setup)
  "$scripts/pg-cluster.sh" teardown "$dir"
  root=$(mktemp -d /tmp/nimbrel-pg.XXXXXX)
  chmod 755 "$root"
  connect=$("$scripts/pg-cluster.sh" start "$root/main") || { rm -rf "$root"; exit 1; }
  printf 'NIMBREL_PG_ROOT=%s\nNIMBREL_PG_CONNECT=%s\n' "$root" "$connect" >"$dir"
  exit 0
  ;;
teardown)
  [ -f "$dir" ] || exit 0
  root=$(sed -n 's/^NIMBREL_PG_ROOT=//p' "$dir")
  if [ -n "$root" ] && [ -d "$root" ]; then
    for cluster in "$root"/*/; do
      [ -d "$cluster" ] && "$scripts/pg-cluster.sh" destroy "${cluster%/}"
    done
    rm -rf "$root"
  fi
  rm -f "$dir"
  exit 0
  ;;
esac

bindir=${NIMBREL_PG_BINDIR:-}
if [ -z "$bindir" ]; then
  for candidate in /usr/lib/postgresql/*/bin; do
    [ -x "$candidate/initdb" ] && bindir=$candidate
  done
fi
if [ -z "$bindir" ] || [ ! -x "$bindir/pg_ctl" ]; then
  echo "pg-cluster: no PostgreSQL server found (install the postgresql package)" >&2
  exit 1
fi

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

data=$dir/data
port=5432

case "$command" in
start)
  mkdir -p "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  if [ ! -f "$data/PG_VERSION" ]; then
    as_owner "$bindir/initdb" -D "$data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
      --no-sync >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  fi
  # Durability does not matter for a cluster that lives as long as one test run.
  as_owner "$bindir/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir' -p $port -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  echo "Provider=PostgreSQL;Host=$dir;Port=$port;Database=postgres;User ID=postgres;Password="
  ;;
stop)
  as_owner "$bindir/pg_ctl" -D "$data" -m fast -w -t 60 stop >/dev/null
  ;;
destroy)
  if [ -f "$data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$data" -m immediate -w -t 60 stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop|destroy DIR, or $0 setup|teardown FILE" >&2
  exit 2
  ;;
esac
