#!/usr/bin/env bash
# install.Tree: installs the build into a scratch DESTDIR and checks what lands there: the file list,
# the launcher's choice of data directory, the desktop entry and metainfo (validated), icons, help page.
# Usage: check-install.sh <build dir> <project version>
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
build=$1
version=$2
requireTools cmake desktop-file-validate appstreamcli file

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log" >&2
    fail "cmake --install failed"
    finish
fi

# Exactly the expected files: a stray test binary, library or header in the install is a fault too.
(cd "$root" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort) >"$scratch/files.txt"
check "installed files differ from tests/install/expected-files.txt (< expected, > installed)" \
    diff "$here/expected-files.txt" "$scratch/files.txt"

usr=$root/usr
appId=io.github.nelvox.Nelvox
desktop=$usr/share/applications/$appId.desktop
metainfo=$usr/share/metainfo/$appId.metainfo.xml

check "the launcher usr/bin/nelvox is not executable" test -x "$usr/bin/nelvox"
check "usr/libexec/nelvox/nelvox is not an executable ELF program" \
    bash -c '[[ -x "$1" && $(file -b "$1") == ELF* ]]' _ "$usr/libexec/nelvox/nelvox"

# --- the launcher, run against a stand-in program that reports where and how it was started
fake=$scratch/fake
mkdir -p "$fake/usr/bin" "$fake/usr/libexec/nelvox" "$scratch/home"
cp "$usr/bin/nelvox" "$fake/usr/bin/nelvox"
cat >"$fake/usr/libexec/nelvox/nelvox" <<'PROGRAM'
#!/bin/sh
echo "cwd=$(pwd)"
echo "args=$*"
PROGRAM
chmod 755 "$fake/usr/libexec/nelvox/nelvox"
ln -s "$fake/usr/bin/nelvox" "$scratch/linked-nelvox"

# Run from the scratch directory, so a launcher that takes a relative path leaves nothing elsewhere.
launch() { (cd "$scratch" && env -u XDG_DATA_HOME HOME="$scratch/home" "$@" 2>&1); }

out=$(launch XDG_DATA_HOME="$scratch/xdg" "$fake/usr/bin/nelvox" -style fusion)
check "launcher with XDG_DATA_HOME set did not start the program in \$XDG_DATA_HOME/nelvox: $out" \
    grep -qx "cwd=$scratch/xdg/nelvox" <<<"$out"
check "launcher did not pass its arguments on to the program: $out" grep -qx "args=-style fusion" <<<"$out"
check "launcher created \$XDG_DATA_HOME/nelvox with mode $(fileMode "$scratch/xdg/nelvox"), not 700" \
    test "$(fileMode "$scratch/xdg/nelvox")" = 700

out=$(launch "$fake/usr/bin/nelvox")
check "launcher without XDG_DATA_HOME did not use ~/.local/share/nelvox: $out" \
    grep -qx "cwd=$scratch/home/.local/share/nelvox" <<<"$out"
check "~/.local/share/nelvox has mode $(fileMode "$scratch/home/.local/share/nelvox"), not 700" \
    test "$(fileMode "$scratch/home/.local/share/nelvox")" = 700

out=$(launch XDG_DATA_HOME=relative/dir "$fake/usr/bin/nelvox")
check "launcher took a relative XDG_DATA_HOME instead of ignoring it: $out" \
    grep -qx "cwd=$scratch/home/.local/share/nelvox" <<<"$out"

mkdir -p "$scratch/open/nelvox"
chmod 755 "$scratch/open/nelvox"
launch XDG_DATA_HOME="$scratch/open" "$fake/usr/bin/nelvox" >/dev/null
check "launcher left an existing data directory readable by others (mode $(fileMode "$scratch/open/nelvox"))" \
    test "$(fileMode "$scratch/open/nelvox")" = 700

out=$(launch XDG_DATA_HOME="$scratch/xdg" "$scratch/linked-nelvox")
check "launcher started through a symbolic link did not find the program: $out" \
    grep -qx "cwd=$scratch/xdg/nelvox" <<<"$out"

rm "$fake/usr/libexec/nelvox/nelvox"
out=$(launch XDG_DATA_HOME="$scratch/xdg" "$fake/usr/bin/nelvox")
status=$?
check "launcher without its program exited with $status, not 127" test "$status" = 127
check "launcher without its program did not say where it looked: $out" \
    grep -q "cannot find the program at .*/libexec/nelvox/nelvox" <<<"$out"

# --- desktop entry
check "desktop-file-validate rejects $appId.desktop" desktop-file-validate "$desktop"
check "desktop entry Exec is '$(desktopValue "$desktop" Exec)', not the installed launcher 'nelvox'" \
    test "$(desktopValue "$desktop" Exec)" = nelvox
check "desktop entry Categories is '$(desktopValue "$desktop" Categories)', not 'Network;'" \
    test "$(desktopValue "$desktop" Categories)" = "Network;"
check "desktop entry has no numeric X-GNOME-Autostart-Delay for starting at login after the tray" \
    grep -Eqx '[0-9]+' <<<"$(desktopValue "$desktop" X-GNOME-Autostart-Delay)"
icon=$(desktopValue "$desktop" Icon)
for size in 16 32 48 64 128; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    check "no ${size}x${size} PNG for the desktop entry's icon '$icon'" \
        grep -q "PNG image data, $size x $size," <<<"$(file -b "$png" 2>&1)"
done
check "no scalable SVG for the desktop entry's icon '$icon'" \
    grep -q "SVG" <<<"$(file -b "$usr/share/icons/hicolor/scalable/apps/$icon.svg" 2>&1)"

# --- AppStream metainfo
check "appstreamcli validate --no-net rejects $appId.metainfo.xml" \
    appstreamcli validate --no-net "$metainfo"
check "metainfo is not a desktop-application component" \
    grep -q '<component type="desktop-application">' "$metainfo"
check "metainfo <id> is not $appId" grep -q "<id>$appId</id>" "$metainfo"
check "metainfo does not launch the installed desktop entry $appId.desktop" \
    grep -q "<launchable type=\"desktop-id\">$appId.desktop</launchable>" "$metainfo"
check "metainfo's newest release is not this version, $version" \
    grep -q "<release version=\"$version\"" <<<"$(grep -m1 '<release ' "$metainfo")"
check "metainfo's metadata licence is not CC0-1.0" grep -q '<metadata_license>CC0-1.0</metadata_license>' "$metainfo"
# Nelvox has no public home yet: any web address here would be a dead link in a software centre,
# and the program's own licence is not chosen yet.
check "metainfo names web addresses: $(grep -Eo '<url[^>]*>[^<]*|<screenshots?[ >]|https?://[^<"]*' "$metainfo" | head -n 3)" \
    bash -c '! grep -Eq "<url[ >]|<screenshots?[ >]|https?://" "$1"' _ "$metainfo"
check "metainfo names a project licence" bash -c '! grep -q "<project_license>" "$1"' _ "$metainfo"
check "metainfo has no description" grep -q '<description>' "$metainfo"

# --- help page: installed, and readable offline
help=$usr/share/doc/nelvox/help/index.html
check "installed help page differs from src/res/help/index.html" cmp -s "$help" "$here/../../src/res/help/index.html"
check "help page loads something from elsewhere: $(grep -Eno '(src|href)="(https?:)?//[^"]*"|<link[^>]*>|url\(' "$help" | head -n 3)" \
    bash -c '! grep -Eq "(src|href)=\"(https?:)?//|<link|url\\(" "$1"' _ "$help"

finish
