#!/usr/bin/env bash
# The window while it saves: see README.md ("Saving in the background").
#   bench/background.sh PHOTO_FOLDER [ITEMS=150] [RUNS=3]
# With --gaps first: the window's longest stalls per command, on a virtual display.
#   bench/background.sh --gaps PHOTO_FOLDER [ITEMS=150] [RUNS=3]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TORVANE_BUILD:-$here/../build}
run=()
if [ "${1:-}" = --gaps ]; then
  shift
  run=(xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb)
fi
[ $# -ge 1 ] || { echo "usage: $0 [--gaps] PHOTO_FOLDER [ITEMS=150] [RUNS=3]" >&2; exit 2; }
cmake --build "$build" --target save_bench torvane_resources -j2 >/dev/null
echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
"${run[@]}" "$build/bin/save_bench" ${run:+--gaps} "$1" "${2:-150}" "${3:-3}" 2>&1 |
  grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR
