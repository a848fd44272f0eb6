#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Nelvox need,
# asking apt only when something is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ca-certificates file
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core
    libcurl4-openssl-dev zlib1g-dev libgumbo-dev libdtl-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
    xvfb xauth xfonts-base xdotool imagemagick trayer x11-utils faketime clang libclang-rt-14-dev
    desktop-file-utils appstream dpkg-dev fakeroot librsvg2-bin
    xfce4-panel xfconf dbus-x11 dbus-bin dbus-daemon
    curl
)

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
