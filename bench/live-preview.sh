#!/usr/bin/env bash
# Times the live preview pane under a virtual display: edit -> updated pane, event loop gaps and
# CPU use. Usage: bench/live-preview.sh PHOTO_FOLDER [RUNS=9]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TORVANE_BUILD:-$here/../build}
cmake --build "$build" --target live_preview_bench -j2 >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  "$build/bin/live_preview_bench" "$build/bin" "$1" "${2:-9}"
