#!/usr/bin/env bash
# Installs what is missing, builds Nelvox with its tests in a build directory of its own and runs
# the suite. With --full it then runs the fuzzers and the whole suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer, as CI does: about three times as long.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
full=0
for argument in "$@"; do
    case "$argument" in
    --full) full=1 ;;
    *)
        echo "usage: $0 [--full]" >&2
        exit 2
        ;;
    esac
done
"$top/scripts/setup.sh" --tests
build="$top/build-test"
# The benchmarks are not part of the suite; the full run builds them too, so that they keep
# building.
bench=OFF
((full)) && bench=ON
"$top/scripts/build.sh" "$build" -DNELVOX_BUILD_BENCH=$bench
(cd "$build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 600)
if ((full)); then
    # The libFuzzer targets, about a minute in all.
    "$top/scripts/fuzz.sh"
    # The whole suite again, built with the two sanitizers.
    "$top/scripts/sanitize.sh"
fi
