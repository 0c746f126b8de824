#!/usr/bin/env bash
# Runs every test of the build folder given as $1.
set -euo pipefail
build=${1:-build}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
