#!/usr/bin/env bash
# Configures and builds Nelvox in build/ (or the directory given as $1); any further arguments
# go to cmake's configure step, for example -DNELVOX_BUILD_TESTS=OFF.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
shift $(($# > 0 ? 1 : 0))
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" --parallel "$(nproc)"
