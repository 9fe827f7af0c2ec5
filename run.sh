#!/usr/bin/env bash
# Builds the launcher, prepares a ready demo run directory in demo/ and starts the launcher there.
# Without a display it starts on a virtual display, saves a screenshot and prints its path.
# VELK_PRESET=asan or VELK_PRESET=tsan runs the sanitizer build of the launcher instead.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh # sets build_dir for VELK_PRESET

case "$VELK_PRESET" in
    asan) export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" ;;
    tsan) export TSAN_OPTIONS="${TSAN_OPTIONS:-ignore_noninstrumented_modules=1 die_after_fork=0 suppressions=$PWD/tests/tsan.supp}" ;;
esac

demo="$PWD/demo"
mkdir -p "$demo/download" "$demo/panel/server"
install -m 0755 "$build_dir/bin/velk" "$demo/velk"
cp "$build_dir/demo-server.jar" "$demo/panel/server/demo-server.jar"
[ -f scripts/prepare-demo.sh ] && bash scripts/prepare-demo.sh "$demo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$demo/velk"
fi

shot="$demo/screenshot.png"
echo "run: no display found; starting the launcher on a virtual display"
xvfb-run -a -s "-screen 0 1280x800x24" "$demo/velk" --screenshot "$shot"
echo "run: screenshot of the main window saved to $shot"
