#!/usr/bin/env bash
# Times the live preview pane under a virtual display: edit -> updated pane, event loop gaps and
# CPU use. Usage: bench/live-preview.sh PHOTO_FOLDER [RUNS=9]
# With --large: opening designs of many items with the pane shown (time to a moving strip, gaps,
# CPU, memory). Usage: bench/live-preview.sh --large PHOTO_FOLDER [ITEMS="2000 20000"]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TORVANE_BUILD:-$here/../build}
cmake --build "$build" --target live_preview_bench -j2 >/dev/null
run=(xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb)
echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "${1:-}" = --large ]; then
  for items in ${3:-2000 20000}; do
    "${run[@]}" "$build/bin/live_preview_bench" --large "$build/bin" "$2" "$items" 2>&1 |
      grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR
  done
  exit 0
fi
exec "${run[@]}" "$build/bin/live_preview_bench" "$build/bin" "$1" "${2:-9}"
