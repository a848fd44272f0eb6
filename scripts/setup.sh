#!/usr/bin/env bash
# Installs the Debian 12 packages that building and running Nelvox need (with --tests, also
# those its tests, benchmarks and fuzzers need), asking apt only when something is missing.
set -euo pipefail

# What building, packaging and running the program need.
packages=(
    build-essential cmake ninja-build pkg-config ca-certificates file dpkg-dev fakeroot
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core
    libcurl4-openssl-dev libxml2-dev libdtl-dev libqt6sql6-sqlite
    # Qt6Gui's CMake package looks for xkbcommon's headers and says "Could NOT find XKB" without them.
    libxkbcommon-dev
)
# What the tests, benchmarks and fuzzers need besides: a first start does not wait for them.
if [[ ${1:-} == --tests ]]; then
    packages+=(
        googletest libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev zlib1g-dev
        xvfb xauth xfonts-base xdotool xclip imagemagick trayer x11-utils faketime clang libclang-rt-14-dev
        desktop-file-utils appstream librsvg2-bin
        xfce4-panel xfconf dbus-x11 dbus-bin dbus-daemon
        curl
    )
elif [[ -n ${1:-} ]]; then
    echo "usage: $0 [--tests]" >&2
    exit 2
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
