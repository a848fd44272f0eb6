#!/usr/bin/env bash
# install.DebianPackage: builds the .deb with CPack, checks its control fields and file list, unpacks it
# into a scratch root and starts the unpacked launcher offscreen until the program is up in its data directory.
# Usage: check-package.sh <build dir> <project version>
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
build=$1
version=$2
requireTools cpack dpkg-deb dpkg-shlibdeps file readelf ldd

scratch=$(mktemp -d)
pid=
cleanup() {
    [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

if ! cpack -G DEB -B "$scratch/package" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack -G DEB failed"
    finish
fi
arch=$(dpkg --print-architecture)
deb=$scratch/package/nelvox_${version}_$arch.deb
if [[ ! -f $deb ]]; then
    ls "$scratch/package" >&2
    fail "cpack made no nelvox_${version}_$arch.deb"
    finish
fi

# --- control fields
field() { dpkg-deb -f "$deb" "$1"; }
check "package name is '$(field Package)', not nelvox" test "$(field Package)" = nelvox
check "package version is '$(field Version)', not $version" test "$(field Version)" = "$version"
check "package architecture is '$(field Architecture)', not $arch" test "$(field Architecture)" = "$arch"
check "package names a Homepage, '$(field Homepage)', though Nelvox has no public home" test -z "$(field Homepage)"
depends=$(field Depends)
dependsOn() { tr -d ' ' <<<"$depends" | tr ',' '\n' | sed 's/(.*//' | grep -qxF "$1"; }
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 ca-certificates; do
    check "Depends lacks $needed: $depends" dependsOn "$needed"
done
check "Depends names no minimum version, so dpkg-shlibdeps did not work it out: $depends" \
    grep -q 'libqt6core6 (>= ' <<<"$depends"

# --- contents: the same files as an install, owned by root, with the right modes
dpkg-deb -c "$deb" >"$scratch/contents.txt"
awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' "$scratch/contents.txt" | LC_ALL=C sort >"$scratch/files.txt"
check "package files differ from tests/install/expected-files.txt (< expected, > packaged)" \
    diff "$here/expected-files.txt" "$scratch/files.txt"
check "package holds entries not owned by root/root: $(awk '$2 != "root/root"' "$scratch/contents.txt" | head -n 3)" \
    test -z "$(awk '$2 != "root/root"' "$scratch/contents.txt")"
for program in usr/bin/nelvox usr/libexec/nelvox/nelvox; do
    check "$program is not -rwxr-xr-x in the package" grep -Eq "^-rwxr-xr-x .* \./$program\$" "$scratch/contents.txt"
done
check "package holds data files that are not -rw-r--r--: $(grep -Ev '^(d|-rwxr-xr-x|-rw-r--r--)' "$scratch/contents.txt" | head -n 3)" \
    test -z "$(grep -Ev '^(d|-rwxr-xr-x|-rw-r--r--)' "$scratch/contents.txt")"

# --- unpacked into a scratch root, the launcher starts the program in a fresh private data directory
root=$scratch/root
dpkg-deb -x "$deb" "$root"
program=$root/usr/libexec/nelvox/nelvox
check "the packaged program is not stripped" grep -q ', stripped' <<<"$(file -b "$program")"
# Every library the program links directly must come from a package that Depends names.
packageOf() {
    local path=$1 owner
    owner=$(dpkg -S "$path" 2>/dev/null) ||
        owner=$(dpkg -S "${path/#\/lib\//\/usr\/lib\/}" 2>/dev/null) ||
        owner=$(dpkg -S "${path/#\/usr\/lib\//\/lib\/}" 2>/dev/null) || return 1
    owner=${owner%%:*}
    echo "${owner%%,*}"
}
for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    # The dynamic loader is listed by its path alone.
    path=$(ldd "$program" | awk -v name="$soname" '$1 == name { print $3 } $1 ~ ("/" name "$") { print $1 }')
    owner=$(packageOf "$path") || {
        fail "no installed package holds $soname ($path), which the program needs"
        continue
    }
    check "the program needs $soname from $owner, which Depends does not name: $depends" dependsOn "$owner"
done
mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
data=$scratch/xdg/nelvox
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$scratch/home" XDG_DATA_HOME="$scratch/xdg" \
    XDG_RUNTIME_DIR="$scratch/runtime" "$root/usr/bin/nelvox" >"$scratch/run.log" 2>&1 &
pid=$!

# The launcher execs the program, so the same process becomes Nelvox; it is up once Qt has loaded
# its offscreen platform plugin in the data directory.
started() {
    [[ $(readlink "/proc/$pid/exe") == "$program" ]] &&
        [[ $(readlink "/proc/$pid/cwd") == "$data" ]] &&
        grep -q 'libqoffscreen\.so' "/proc/$pid/maps"
}
alive() { kill -0 "$pid" 2>/dev/null && [[ $(awk '{ print $3 }' "/proc/$pid/stat" 2>/dev/null) != Z ]]; }
ready() { started || ! alive; }
waitFor 30 ready
if started; then
    check "data directory $data has mode $(fileMode "$data"), not 700" test "$(fileMode "$data")" = 700
else
    fail "the unpacked launcher did not bring Nelvox up in $data within 30 s (process alive: $(alive && echo yes || echo no)); its output:
$(cat "$scratch/run.log")"
fi
kill -KILL "$pid" 2>/dev/null
{ wait "$pid"; } 2>/dev/null
pid=

finish
