#!/usr/bin/env bash
# Installs what is missing, builds Nelvox and starts it in its data directory: Nelvox keeps
# its favorites and snapshots in the directory it runs in.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$top/build"
data="${XDG_DATA_HOME:-$HOME/.local/share}/nelvox"
mkdir -p "$data"
chmod 700 "$data"
cd "$data"
exec "$top/build/src/nelvox" "$@"
