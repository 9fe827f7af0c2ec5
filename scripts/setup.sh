#!/usr/bin/env bash
# Installs the Debian packages the project needs (skipping what is installed) and configures and
# builds it. Sourced by run.sh and test.sh; VELK_PRESET picks the build (default, asan or tsan).
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
    if [ "$(id -u)" -eq 0 ]; then
        as_root=()
    elif command -v sudo >/dev/null 2>&1; then
        as_root=(sudo)
    else
        echo "setup: these Debian packages are missing: ${missing[*]}" >&2
        echo "setup: there is no sudo here; as root, run:" >&2
        echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

case "${VELK_PRESET:=default}" in
    default) build_dir="$PWD/build" ;;
    asan | tsan) build_dir="$PWD/build-$VELK_PRESET" ;;
    *)
        echo "setup: unknown VELK_PRESET '$VELK_PRESET' (default, asan or tsan)" >&2
        exit 1
        ;;
esac
export VELK_PRESET

# ccache (the compiler launcher, see CMakeLists.txt) keys objects on paths; with the base folder and
# without the working folder in the key, a fresh clone elsewhere reuses what another checkout built.
export CCACHE_BASEDIR="$PWD"
export CCACHE_NOHASHDIR=1

cmake --preset "$VELK_PRESET" >/dev/null
cmake --build --preset "$VELK_PRESET"
