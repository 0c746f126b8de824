#!/usr/bin/env bash
# Runs every test of the build folder given as $1, as plain `ctest` there
# would: CTest's fixture starts the throwaway PostgreSQL server of the tests
# labelled "postgres" and removes it at the end (tests/CMakeLists.txt).
set -euo pipefail
build=${1:-build}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
