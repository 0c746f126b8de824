#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer in the build folder $1 and runs it as make test
# does, on both engines. Undefined behaviour aborts the test that meets it;
# a leak fails the program that leaked (a test, the host, the worker).
#
# GCC, like the main build: clang knows no execution character set but UTF-8
# and cannot build the module's GBK literals. Warnings are not errors here:
# the main build holds that line, and what GCC warns about depends on the
# optimisation and the instrumentation, so a warning only this build gives is
# no finding.
set -euo pipefail
build=${1:-build-sanitize}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
# -O1 keeps the build and the run quick; line tables are enough for traces.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_WERROR=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DCMAKE_CXX_FLAGS="$sanitizers -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# As scripts/run-tests.sh runs them, but for install_moved: it checks that
# an installation holds no path of the build or source tree, and sanitized
# code always does (the sanitizers keep every source file's path for their
# reports, whatever -ffile-prefix-map says). install_launcher runs the
# installed programs under the sanitizers as well.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -E '^install_moved$'
