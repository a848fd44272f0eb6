#!/usr/bin/env bash
# Installs what is missing, builds Nelvox and starts it in its data directory: Nelvox keeps
# its favorites and snapshots in the directory it runs in. Only the program is built, in a
# build directory of its own, so that a first start does not wait for the tests, the
# benchmarks and the fuzzers.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Over ssh or on a console there is nothing to show the window on: the program would say so
# too, but only after the packages and the build.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "Nelvox needs a graphical desktop (X11 or Wayland), but neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    exit 1
fi
"$top/scripts/setup.sh"
build="$top/build-run"
"$top/scripts/build.sh" "$build" -DNELVOX_BUILD_TESTS=OFF -DNELVOX_BUILD_BENCH=OFF -DNELVOX_FUZZ=OFF \
    -DNELVOX_SANITIZE=OFF
data="${XDG_DATA_HOME:-$HOME/.local/share}/nelvox"
mkdir -p "$data"
chmod 700 "$data"
cd "$data"
exec "$build/src/nelvox" "$@"
