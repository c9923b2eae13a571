#!/usr/bin/env bash
# The window's longest stalls during open, save, preview, drop and picture check, on a virtual
# display with the live preview shown and hidden: see README.md ("Saving in the background").
#   bench/window-gaps.sh PHOTO_FOLDER [ITEMS=150] [RUNS=3]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TORVANE_BUILD:-$here/../build}
[ $# -ge 1 ] || { echo "usage: $0 PHOTO_FOLDER [ITEMS=150] [RUNS=3]" >&2; exit 2; }
cmake --build "$build" --target save_bench torvane_resources -j2 >/dev/null
echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  "$build/bin/save_bench" --gaps "$1" "${2:-150}" "${3:-3}" 2>&1 |
  grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR
