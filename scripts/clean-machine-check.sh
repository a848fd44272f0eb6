#!/usr/bin/env bash
# Walks a new user's way through Nelvox on freshly bootstrapped Debian 12 systems:
#   0. on one fresh system, a user with sudo runs the README's run command: the time until
#      Nelvox's window shows is printed (NELVOX_FIRST_START_ONLY=1 stops after this step);
#   1. on one fresh system, a user with sudo builds the Debian package with the README's commands;
#   2. on a second fresh system, apt installs that package;
#   3. a user starts Nelvox from its menu entry on an X server, adds a page, quits;
#   4. the favorites are in ~/.local/share/nelvox, private to the user;
#   5. the desktop entry copied to ~/.config/autostart starts it as a session would at login;
#   6. apt removes and purges the package: nothing of it stays, the user's favorites do.
#
# It needs root (debootstrap and chroot), network access to a Debian mirror, and on this machine
# debootstrap, Xvfb, xdotool, ImageMagick's import and python3. It takes about eight minutes with a
# fast mirror, longer with a slow one, so it is not part of the test suite; run it before a release:
#
#     sudo scripts/clean-machine-check.sh [work-folder]     # default: build-clean
#
# The sources are those of the last commit (git archive HEAD). The work folder keeps a bootstrapped
# base system between runs; the result, the package and a screenshot are left in it.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/install/common.sh
. "$here/tests/install/common.sh"

[[ $(id -u) -eq 0 ]] || { echo "run as root: debootstrap and chroot need it" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "debootstrap is missing: sudo apt-get install debootstrap" >&2; exit 1; }
requireTools unshare chroot Xvfb xdotool import python3 git

work=$(realpath -m "${1:-$here/build-clean}")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
mkdir -p "$work"
log=$work/check.log
: >"$log"
say() { echo "== $*" | tee -a "$log"; }

# A bootstrapped base system, made once and copied for each machine.
base=$work/base
if [[ ! -e $base/.nelvox-base-ready ]]; then
    say "bootstrapping Debian 12 into $base"
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror" >>"$log" 2>&1
    touch "$base/.nelvox-base-ready"
fi

# newMachine <name>: a fresh copy of the base system with Debian's usual package sources.
newMachine() {
    local root=$work/$1
    rm -rf "$root"
    cp -a "$base" "$root"
    rm -f "$root/.nelvox-base-ready"
    cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    echo "$root"
}

# inMachine <root> <command...>: runs a command as root inside the machine, with its own /proc and
# the host's devices and X socket folder, in a private mount namespace that goes with it.
inMachine() {
    local root=$1
    shift
    # shellcheck disable=SC2016 # expanded by the inner shell
    unshare --mount --pid --fork --kill-child -- bash -c '
        root=$1; shift
        mount -t proc proc "$root/proc"
        mount -t sysfs sysfs "$root/sys"
        mount --rbind /dev "$root/dev"
        mkdir -p /tmp/.X11-unix "$root/tmp/.X11-unix"
        mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
        exec chroot "$root" "$@"' inMachine "$root" "$@"
}

# asUser <root> <user> <script>: runs a shell script as a user, in a login shell as a terminal would.
asUser() { inMachine "$1" runuser -l "$2" -c "$3"; }

# machineProcesses <root>: the /proc folders of the processes that run inside that machine.
machineProcesses() {
    local process
    for process in /proc/[0-9]*; do
        if [[ $(readlink "$process/root" 2>/dev/null) == "$1" ]]; then
            echo "$process"
        fi
    done
}

# startDisplay: an X server of its own on a free display number, in $display and $xvfb.
startDisplay() {
    display=:$((90 + RANDOM % 100))
    while [[ -e /tmp/.X11-unix/X${display#:} ]]; do display=:$((${display#:} + 1)); done
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >>"$log" 2>&1 &
    xvfb=$!
    waitFor 10 env DISPLAY="$display" xdotool getdisplaygeometry >/dev/null 2>&1 ||
        { echo "FAIL: Xvfb did not start" >&2; exit 1; }
}

# withSourcesOfUser <root> <user>: sudo, a user who may use it, and the last commit's sources in
# ~/nelvox, as a new user who fetched Nelvox would have them.
withSourcesOfUser() {
    local root=$1 user=$2
    inMachine "$root" bash -c 'apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q sudo' >>"$log" 2>&1
    inMachine "$root" useradd --create-home --shell /bin/bash "$user"
    echo "$user ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/$user"
    chmod 440 "$root/etc/sudoers.d/$user"
    mkdir -p "$root/home/$user/nelvox"
    git -C "$here" archive --format=tar HEAD | tar -x -C "$root/home/$user/nelvox"
    inMachine "$root" chown -R "$user:$user" "/home/$user/nelvox"
}

# ---- 0. The first start, timed ---------------------------------------------------------------
# A user with sudo runs the README's run command on a fresh system, from a cold apt cache: the
# time to Nelvox's window is what a new user waits for.
firstStart() {
    local starter
    starter=$(newMachine starter)
    withSourcesOfUser "$starter" carol
    inMachine "$starter" apt-get clean
    startDisplay
    say "first start: ./scripts/run.sh on a fresh system ($starter), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
    local started=$SECONDS
    asUser "$starter" carol "export DISPLAY=$display; cd nelvox && ./scripts/run.sh" >>"$log" 2>&1 &
    local run=$!
    local shown= configured=
    while kill -0 "$run" 2>/dev/null; do
        if [[ -z $configured ]] && grep -q '^-- The CXX compiler identification' "$log"; then
            configured=$((SECONDS - started))
        fi
        if DISPLAY=$display xdotool search --onlyvisible --name '^Nelvox v1\.0$' >/dev/null 2>&1; then
            shown=$((SECONDS - started))
            break
        fi
        sleep 1
    done
    local steps
    steps=$(grep -c '^\[[0-9]*/[0-9]*\]' "$log" || true)
    local process
    for process in $(machineProcesses "$starter"); do
        kill "${process#/proc/}" 2>/dev/null || true
    done
    wait "$run" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    if [[ -z $shown ]]; then
        echo "FAIL: run.sh ended without showing Nelvox's window; see $log" >&2
        exit 1
    fi
    say "first start: the window showed $((shown / 60)) min $((shown % 60)) s after run.sh began;" \
        "the set-up took ${configured:-?} s, the build and start the rest ($steps build steps)"
}
firstStart
[[ ${NELVOX_FIRST_START_ONLY:-} != 1 ]] || exit 0

# ---- 1. Build the package as a new user would -------------------------------------------------
builder=$(newMachine builder)
say "building the package on a fresh system ($builder)"
withSourcesOfUser "$builder" alice
# The README's commands, word for word.
if ! asUser "$builder" alice 'set -e; cd nelvox
    ./scripts/setup.sh
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DNELVOX_BUILD_TESTS=OFF -DNELVOX_BUILD_BENCH=OFF
    cmake --build build
    cd build && cpack -G DEB' >>"$log" 2>&1; then
    echo "FAIL: the package did not build; see $log" >&2
    exit 1
fi
package=$(find "$builder/home/alice/nelvox/build" -maxdepth 1 -name 'nelvox_*.deb' | head -n 1)
[[ -n $package ]] || { echo "FAIL: cpack made no nelvox_*.deb" >&2; exit 1; }
cp "$package" "$work/"
package=$work/$(basename "$package")
say "built $(basename "$package")"

# ---- 2. Install it with apt on another fresh system -------------------------------------------
desktop=$(newMachine desktop)
say "installing the package on a fresh system ($desktop)"
cp "$package" "$desktop/root/"
check "apt-get install ./$(basename "$package") failed on a fresh system" \
    inMachine "$desktop" bash -c "cd /root && apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./$(basename "$package")" \
    >>"$log" 2>&1
((failures == 0)) || finish
inMachine "$desktop" dpkg-query -L nelvox >"$work/package-files.txt"
inMachine "$desktop" useradd --create-home --shell /bin/bash bob

# ---- 3. Start it from its menu entry on an X server -------------------------------------------
entry=/usr/share/applications/io.github.nelvox.Nelvox.desktop
check "no desktop entry in the menu folder" test -f "$desktop$entry"
exec_line=$(desktopValue "$desktop$entry" Exec)
check "the entry's command '$exec_line' is not on the PATH" \
    inMachine "$desktop" runuser -l bob -c "command -v ${exec_line%% *}" >/dev/null
# dex starts desktop entries as a menu or a session's autostart does.
check "dex did not install" \
    inMachine "$desktop" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends dex \
    >>"$log" 2>&1

pages=$(mktemp -d)
printf '<html><body>First look</body></html>\n' >"$pages/page.html"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$pages" "$port" >>"$log" 2>&1 &
server=$!
nelvox=
cleanUp() {
    endSession
    kill "$server" "$xvfb" 2>/dev/null || true
    rm -rf "$pages"
}
trap cleanUp EXIT
startDisplay
export DISPLAY=$display

window=
findWindow() { window=$(xdotool search --onlyvisible --name '^Nelvox v1\.0$' 2>/dev/null | head -n 1); [[ -n $window ]]; }
keys() { xdotool windowfocus --sync "$1" && xdotool key --clearmodifiers "${@:2}"; }

# startAsBob <how> <command>: runs a command of bob's on the display and waits for Nelvox's window.
startAsBob() {
    say "starting Nelvox $1"
    asUser "$desktop" bob "export DISPLAY=$display; $2" >>"$log" 2>&1 &
    nelvox=$!
    if ! waitFor 30 findWindow; then
        fail "Nelvox's window did not appear when started $1; see $log"
        finish
    fi
}

nelvoxEnded() {
    local process
    for process in $(machineProcesses "$desktop"); do
        [[ $(cat "$process/comm" 2>/dev/null) != nelvox ]] || return 1
    done
}

# quitNelvox: Alt+Q, as a user would; then the session that started it ends.
quitNelvox() {
    keys "$window" alt+q
    check "Alt+Q did not end Nelvox" waitFor 15 nelvoxEnded
    endSession
}

# endSession: ends whatever the session started that still runs in the desktop machine.
endSession() {
    local process
    for process in $(machineProcesses "$desktop"); do
        kill "${process#/proc/}" 2>/dev/null || true
    done
    [[ -z $nelvox ]] || wait "$nelvox" 2>/dev/null || true
    nelvox=
}

page=http://127.0.0.1:$port/page.html
startAsBob "from its menu entry" "exec dex --wait $entry"
say "its window is up; adding $page, checked hourly"
keys "$window" alt+a
dialog=
findDialog() { dialog=$(xdotool search --onlyvisible --name '^Nelvox v1\.0 - Add or Edit Favorite$' 2>/dev/null | head -n 1); [[ -n $dialog ]]; }
if waitFor 10 findDialog; then
    # The dialog opens on Cancel; Tab leads to the address, then to the first frequency.
    keys "$dialog" Tab
    xdotool type --delay 20 "$page"
    keys "$dialog" Tab space Return
    check "the Add dialog did not close" \
        waitFor 15 bash -c "! xdotool search --onlyvisible --name 'Add or Edit Favorite' >/dev/null 2>&1"
else
    fail "Alt+A did not open the Add dialog"
fi
sleep 1
xdotool mousemove 0 0
import -window "$window" "$work/installed-main-window.png" 2>>"$log" || fail "no screenshot of the window"
quitNelvox

# ---- 4. Its files are in ~/.local/share/nelvox -----------------------------------------------
data=$desktop/home/bob/.local/share/nelvox
check "no ~/.local/share/nelvox" test -d "$data"
check "the data folder has mode $(fileMode "$data"), not 700" test "$(fileMode "$data")" = 700
bob=$(chroot "$desktop" id -u bob)
check "the data folder belongs to uid $(stat -c %u "$data"), not to bob ($bob)" test "$(stat -c %u "$data")" = "$bob"
check "nelvox.ini does not list the added page" grep -q "^$page H" "$data/nelvox.ini"
check "nelvox.ini does not end its lines with CR LF" grep -q $'\r$' "$data/nelvox.ini"
check "no snapshot of the added page beside nelvox.ini" \
    bash -c "grep -rlq 'First look' '$data' --exclude=nelvox.ini"
ls -la "$data" >>"$log"

# ---- 5. Start it at login, as the README says -----------------------------------------------
asUser "$desktop" bob "mkdir -p ~/.config/autostart && cp $entry ~/.config/autostart/"
check "the session would not start Nelvox at login" \
    bash -c "chroot '$desktop' runuser -l bob -c 'dex --autostart --dry-run --environment GNOME' 2>&1 |
        grep -qx 'Executing command: $exec_line'"
# Only the user's own autostart folder: the system's holds daemons that would never end. dex leaves
# the programs it starts running; the sleep stands for the rest of the session, which keeps them.
startAsBob "as a GNOME session does at login" \
    "dex --autostart --search-paths ~/.config/autostart --environment GNOME && exec sleep 600"
quitNelvox
check "the favorites did not survive a second start" grep -q "^$page H" "$data/nelvox.ini"

# ---- 6. Remove and purge it ------------------------------------------------------------------
say "removing the package as the README says, then purging it"
check "apt-get remove nelvox failed" \
    inMachine "$desktop" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q nelvox >>"$log" 2>&1
# A package installed from a file is no longer known to apt once removed: dpkg purges it.
check "dpkg --purge nelvox failed" inMachine "$desktop" dpkg --purge nelvox >>"$log" 2>&1
check "dpkg still knows nelvox after the purge" \
    bash -c "! chroot '$desktop' dpkg-query -W -f='\${Status}' nelvox 2>/dev/null | grep -q ."
while read -r path; do
    [[ $path == /. ]] && continue
    # Shared folders such as /usr/share/icons/hicolor stay for other packages; anything of ours must go.
    if [[ -f $desktop$path || -L $desktop$path ]]; then
        fail "$path stayed after purge"
    elif [[ -d $desktop$path && $path == *nelvox* ]]; then
        fail "folder $path stayed after purge"
    fi
done <"$work/package-files.txt"
check "nelvox still on the PATH after removal" bash -c "! chroot '$desktop' sh -c 'command -v nelvox' >/dev/null"
check "the user's favorites went with the package" test -f "$data/nelvox.ini"

say "package files: $work/package-files.txt; screenshot: $work/installed-main-window.png; log: $log"
finish
