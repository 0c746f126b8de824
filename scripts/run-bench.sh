#!/usr/bin/env bash
# Runs every benchmark program of the build folder given as $1.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
for bench in "$build"/bench/bench_*; do
  if [ -f "$bench" ] && [ -x "$bench" ]; then QT_QPA_PLATFORM=offscreen "$bench"; fi
done
