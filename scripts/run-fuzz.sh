#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in the build folder $1 and
# runs each for $2 seconds (default 60) from its committed seeds in
# fuzz/corpus/<target>/. New inputs libFuzzer finds go to $1/corpus/<target>/,
# never into the sources. Fails on the first finding: the input is kept in
# $1/findings/<target>/ and the end of the target's log is shown.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# clang knows no execution character set but UTF-8, so a fuzzed source with a
# non-ASCII narrow literal would hold other bytes than the module runs with.
# UTF-16 literals (u"...") and comments are fine.
sources=$(sed -n '/^set(FUZZED_[A-Z_]*SOURCES/,/)/p' fuzz/CMakeLists.txt | grep -o '[a-z]*/[A-Za-z]*\.cpp')
if grep -nP '^(?!\s*//).*(?<![uUL])"[^"]*[^\x00-\x7F]' $sources; then
  echo "run-fuzz: the lines above hold a non-ASCII narrow literal clang cannot build as GBK" >&2
  exit 1
fi

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)"

# The files the targets write go to memory when it can: INI saves are synced
# to disk, which would make the INI target a hundred times slower.
TMPDIR=$(mktemp -d /dev/shm/nimbrel-fuzz.XXXXXX 2>/dev/null || mktemp -d)
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for seeds in fuzz/corpus/*/; do
  target=$(basename "$seeds")
  work=$build/corpus/$target findings=$build/findings/$target log=$build/logs/$target.log
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=("-dict=fuzz/$target.dict")
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" "${dict[@]}" "$work" "$seeds" >"$log" 2>&1; then
    echo "fuzz $target: clean, $(grep -o 'Done [0-9]* runs' "$log" | tail -1 | cut -d' ' -f2) runs in ${seconds} s"
  else
    echo "fuzz $target: FINDING (input in $findings/, log in $log)"
    tail -40 "$log"
    failed+=("$target")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz findings: ${failed[*]}" >&2; exit 1; }
