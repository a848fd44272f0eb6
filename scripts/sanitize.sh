#!/usr/bin/env bash
# Builds Nelvox and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (or the directory given as $1) and runs the whole suite there: any report fails it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-asan}
# Unoptimised with line tables only: compiles in about the time of the normal build, and the
# sanitizers' reports still name files and lines. Each source compiles on its own here, so that
# one relying on another's includes shows.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DNELVOX_SANITIZE=ON \
    -DNELVOX_UNITY_BUILD=OFF \
    -DNELVOX_BUILD_BENCH=OFF
cmake --build "$build" --parallel "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
