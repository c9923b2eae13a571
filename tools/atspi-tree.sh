#!/usr/bin/env bash
# Starts the window on a virtual display with its own D-Bus session and accessibility bus, waits
# until it is up, prints what assistive technology (a screen reader) finds in it, one node a line
# (role 'name' [states]), and closes it again. Needs xvfb, dbus, at-spi2-core and
# gir1.2-atspi-2.0 (with python3-gi).
#
#   tools/atspi-tree.sh [--wait SECONDS] [ARGUMENTS FOR THE WINDOW...]
#
# The window runs from build/bin with settings and XDG folders of its own (removed afterwards).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wait=8
if [ "${1:-}" = "--wait" ]; then
  wait=$2
  shift 2
fi
if [ -z "${ATSPI_TREE_INSIDE:-}" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  status=0
  ATSPI_TREE_INSIDE=$scratch dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$0" --wait "$wait" "$@" 2> >(grep -v "^dbus-daemon" >&2) |
    grep -v "^SpiRegistry daemon is running" || status=$?
  exit $status
fi

# Inside the session and on the display.
for sub in config data cache runtime; do mkdir -p "$ATSPI_TREE_INSIDE/$sub"; done
chmod 700 "$ATSPI_TREE_INSIDE/runtime"
export XDG_CONFIG_HOME=$ATSPI_TREE_INSIDE/config XDG_DATA_HOME=$ATSPI_TREE_INSIDE/data
export XDG_CACHE_HOME=$ATSPI_TREE_INSIDE/cache XDG_RUNTIME_DIR=$ATSPI_TREE_INSIDE/runtime
/usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
bus=$!
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$ROOT/build/bin/torvane" "$@" >"$ATSPI_TREE_INSIDE/torvane.log" 2>&1 &
window=$!
sleep "$wait"
status=0
/usr/bin/python3 "$ROOT/tools/atspi-tree.py" Torvane || status=$?
kill "$window" "$bus" 2>/dev/null || true
wait "$window" 2>/dev/null || true
exit $status
