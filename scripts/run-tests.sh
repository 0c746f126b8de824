#!/usr/bin/env bash
# Runs every test of the build folder given as $1. A throwaway PostgreSQL
# cluster serves the tests labelled "postgres"; it is removed at the end,
# also when tests fail. Without a PostgreSQL server this is an error.
set -euo pipefail
build=${1:-build}
scripts=$(cd "$(dirname "$0")" && pwd)

# Tests that need clusters of their own create them below this folder, so
# the trap removes them too.
root=$(mktemp -d /tmp/nimbrel-pg.XXXXXX)
chmod 755 "$root"
cleanup() {
  for cluster in "$root"/*/; do
    [ -d "$cluster" ] && "$scripts/pg-cluster.sh" destroy "${cluster%/}"
  done
  rm -rf "$root"
}
trap cleanup EXIT

NIMBREL_PG_CONNECT=$("$scripts/pg-cluster.sh" start "$root/main")
export NIMBREL_PG_CONNECT
export NIMBREL_PG_ROOT=$root
export NIMBREL_PG_SCRIPT=$scripts/pg-cluster.sh

ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
