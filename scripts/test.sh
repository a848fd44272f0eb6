#!/usr/bin/env bash
# Installs what is missing, builds Nelvox with its tests in a build directory of its own
# and runs the whole suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" --tests
build="$top/build-test"
"$top/scripts/build.sh" "$build"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
# The libFuzzer targets, about a minute in all.
"$top/scripts/fuzz.sh"
# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
"$top/scripts/sanitize.sh"
