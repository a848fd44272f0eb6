#!/usr/bin/env bash
# Builds Nelvox in build-soak/ and runs the soak (a simulated week of hourly ticks on Xvfb
# under libfaketime) and the fault-injection tests, printing their figures.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-soak}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNELVOX_BUILD_BENCH=OFF
cmake --build "$build" --parallel "$(nproc)" --target nelvox SoakTest FaultTests BrokenSnapshotCommandsTest
cd "$build"
ctest --output-on-failure --verbose --timeout 600 -R '^(Soak|DownloadFaults|DamagedFavorites|UnwritableData|BrokenSnapshots|KillDuringSave)\.'
