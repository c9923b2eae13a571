#!/usr/bin/env bash
# A new user's first slider, driven through the real window under a virtual X display with the
# keyboard and the mouse: insert three items, give them pictures, a link and a tooltip, save,
# preview (the "browser" is a script that keeps a copy of the page), close; then start again with
# the saved project's path split at its blank, as a desktop passes an unquoted path, and check
# that the design came back whole (its preview page is the same) and is listed in Recent Files.
#
# Usage: first-slider.sh BIN_DIR ARTIFACT_DIR   (run inside xvfb-run)
set -euo pipefail
bin=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
work=$(mktemp -d)
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

shot() { command -v import >/dev/null && import -window root "$artifacts/$1" 2>/dev/null || true; }
fail() {
  echo "FAILED: $*" >&2
  shot e2e-failure.png
  exit 1
}

# A private copy of the program with its files, private settings and desktop folders.
mkdir -p "$work/prog" "$work/config/QEL" "$work/data" "$work/cache" "$work/My Designs"
cp -r "$bin/torvane" "$bin/torvane.js" "$bin/help" "$bin/samples" "$bin/templates" "$work/prog/"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export HOME="$work"
export QT_QPA_PLATFORM=xcb  # a real window on the virtual display, whatever the test run set
cat >"$work/browser" <<'SCRIPT'
#!/bin/sh
n=$(ls "$(dirname "$0")"/opened-*.html 2>/dev/null | wc -l)
cp "$1" "$(dirname "$0")/opened-$n.html"
SCRIPT
chmod +x "$work/browser"
cat >"$work/config/QEL/Torvane.conf" <<INI
[1.1]
Web%20Browsers\\UseDefaultBrowser=0
Web%20Browsers\\UseKnownBrowser=0
Web%20Browsers\\UseSpecifiedBrowser=1
Web%20Browsers\\SelectedBrowserNumber=-1
Web%20Browsers\\SpecifiedBrowserExePath=$work/browser
Settings\\ShowLinkTipDialog=1
INI
project="$work/My Designs/first slider.tvn"

start() {
  "$work/prog/torvane" "$@" >"$work/log" 2>&1 &
  app=$!
  win=$(xdotool search --sync --onlyvisible --name '^Torvane$' | head -1)
  xdotool windowfocus --sync "$win"
  sleep 0.5
}
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
type_text() { xdotool type --delay 8 "$1"; sleep 0.2; }
click_tree_row() {  # row 0 is the slider, 1.. its items, 44 px apart (small thumbnails)
  local y=$((72 + 44 * $1))
  xdotool mousemove --window "$win" 80 "$y" click 1
  sleep 0.4
}
wait_for() {  # wait_for FILE [seconds]
  for _ in $(seq 1 $((${2:-10} * 10))); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}
wait_exit() {
  for _ in $(seq 1 100); do kill -0 "$app" 2>/dev/null || { app=; return 0; }; sleep 0.1; done
  return 1
}

# --- first run ---
start
for _ in 1 2 3; do keys alt+i n; done  # Item > Insert, three times
pictures=("$bin/samples/dunes.jpg" "$bin/samples/forest.jpg" "$bin/samples/harbour.jpg")
for i in 0 1 2; do
  click_tree_row $((i + 1))
  keys Tab
  type_text "${pictures[$i]}"
  if [ "$i" = 1 ]; then
    keys Tab Tab Tab
    type_text "https://example.org/forest"
    keys Tab Tab Tab Tab
    type_text "A walk in the forest"
  fi
done
click_tree_row 0
shot e2e-design.png
keys ctrl+s
dialog=$(xdotool search --sync --onlyvisible --name 'Save' | head -1)
xdotool windowfocus --sync "$dialog"
sleep 0.3
type_text "$project"
keys Return
wait_for "$work/My Designs/first slider.html" || fail "the save did not publish the page"
xdotool windowfocus --sync "$win"  # no window manager gives the focus back
sleep 0.3
keys ctrl+p
wait_for "$work/opened-0.html" || fail "the preview did not reach the browser"
keys alt+f x
wait_exit || fail "the program did not close after saving"

grep -q 'A walk in the forest' "$project" || fail "the tooltip is not in the project file"
grep -q 'https://example.org/forest' "$project" || fail "the link is not in the project file"
for n in 0 1 2; do
  [ -s "$work/My Designs/slider$n.jpg" ] || fail "slider$n.jpg was not published"
done
[ ! -e "$work/prog/preview" ] || fail "the preview folder outlived the program"
[ ! -e "$work/prog/torvanecfg.js" ] || fail "a generated file was left in the program's folder"

# --- second run: the path split at its blank ---
start "$work/My" "Designs/first" "slider.tvn"
grep -qxF "&1 $project" <(tr -d '\r' <"$work/prog/recentfile.dat") ||
  fail "the opened project is not in the recent list"
keys ctrl+p
wait_for "$work/opened-1.html" || fail "the second preview did not reach the browser"
cmp -s "$work/opened-0.html" "$work/opened-1.html" || fail "the design did not come back as it was"
click_tree_row 2
shot e2e-reopened.png
keys alt+f x
# Selecting an item counts as an edit, so Exit asks; No leaves the saved project alone.
keys n
wait_exit || fail "the program did not close"
echo "first slider: 1 passed, 0 failed"
