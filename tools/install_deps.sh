#!/usr/bin/env bash
# Installs the Debian packages needed to build, play and test the game.
# Does nothing when they are all there already. Run as root.
set -euo pipefail

packages=(
    cmake g++ clang libclang-rt-14-dev ninja-build pkg-config
    libsdl2-dev libgl-dev libgl1-mesa-dri libglx-mesa0
    libpng-dev zlib1g-dev libvorbis-dev libogg-dev libfreetype-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth time
    fonts-dejavu-core fonts-liberation
    # Playing the game under Xvfb by script: keys, mouse, whole-screen pictures,
    # and a window manager so that full screen behaves as on a desktop.
    xdotool x11-apps netpbm openbox
    desktop-file-utils appstream man-db groff-base dpkg-dev file
    # The score board server (server/): HTTP, JSON, its two databases, and a
    # PostgreSQL server for its tests.
    libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpq-dev postgresql
    # The game's own way to the score board.
    libcurl4-openssl-dev
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
