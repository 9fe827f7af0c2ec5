#!/usr/bin/env bash
# Builds the launcher, prepares a ready demo run directory in demo/ and starts the launcher there.
# Without a display it starts on a virtual display, saves a screenshot and prints its path.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

demo="$PWD/demo"
mkdir -p "$demo/download" "$demo/panel/server"
install -m 0755 build/bin/velk "$demo/velk"
cp build/demo-server.jar "$demo/panel/server/demo-server.jar"
[ -f scripts/prepare-demo.sh ] && bash scripts/prepare-demo.sh "$demo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$demo/velk"
fi

shot="$demo/screenshot.png"
echo "run: no display found; starting the launcher on a virtual display"
xvfb-run -a -s "-screen 0 1280x800x24" "$demo/velk" --screenshot "$shot"
echo "run: screenshot of the main window saved to $shot"
