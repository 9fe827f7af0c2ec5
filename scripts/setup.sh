#!/usr/bin/env bash
# Installs the Debian packages the project needs (skipping what is installed) and configures and
# builds it. Sourced by run.sh and test.sh.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev libgl-dev          # Qt 6 Widgets, Network and Test
    openjdk-17-jdk-headless         # the demo server and the companion plugins are Java
    fonts-wqy-microhei              # Chinese glyphs on a bare machine
    xvfb xauth                      # a virtual display for the screenshot where none exists
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

preset="${VELK_PRESET:-default}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
