# Shared by the end-to-end scripts: a private copy of the program with its files, private settings
# and desktop folders in a temporary folder removed at the end, and ways to start the window and
# drive it. Source it with BIN_DIR and ARTIFACT_DIR (may be empty) as $1 and $2.
set -euo pipefail
bin=$(cd "$1" && pwd)
artifacts=${2:-}
work=$(mktemp -d)
app=
cleanup() {
  [ -n "$app" ] && kill -9 "$app" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

shot() {
  [ -n "$artifacts" ] && mkdir -p "$artifacts" && command -v import >/dev/null &&
    import -window root "$artifacts/$1" 2>/dev/null || true
}
fail() {
  echo "FAILED: $*" >&2
  cat "$work/log" >&2 2>/dev/null || true
  shot e2e-failure.png
  exit 1
}

mkdir -p "$work/prog" "$work/config/QEL" "$work/data" "$work/cache" "$work/run" "$work/tmp"
chmod 700 "$work/run"
cp -r "$bin/torvane" "$bin/torvane.js" "$bin/help" "$bin/samples" "$bin/templates" "$work/prog/"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" HOME="$work"
export QT_QPA_PLATFORM=xcb  # a real window on the virtual display, whatever the test run set

start() {
  "$work/prog/torvane" "$@" >"$work/log" 2>&1 &
  app=$!
  win=$(xdotool search --sync --onlyvisible --name '^Torvane$' | head -1)
  xdotool windowfocus --sync "$win"
  sleep 0.5
}
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
wait_for() {  # wait_for FILE [seconds]
  for _ in $(seq 1 $((${2:-10} * 10))); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}
wait_exit() {
  for _ in $(seq 1 100); do kill -0 "$app" 2>/dev/null || { app=; return 0; }; sleep 0.1; done
  return 1
}
