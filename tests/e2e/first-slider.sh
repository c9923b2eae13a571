#!/usr/bin/env bash
# A new user's first slider, driven through the real window under a virtual X display with the
# keyboard and the mouse: insert three items, give them pictures, a link and a tooltip, save,
# preview (the "browser" is a script that keeps a copy of the page), close; then start again with
# the saved project's path split at its blank, as a desktop passes an unquoted path, and check
# that the design came back whole (its preview page is the same) and is listed in Recent Files.
#
# Usage: first-slider.sh BIN_DIR ARTIFACT_DIR   (run inside xvfb-run)
source "$(dirname "$0")/window.sh"
mkdir -p "$work/My Designs"
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

type_text() { xdotool type --delay 8 "$1"; sleep 0.2; }
click_tree_row() {  # row 0 is the slider, 1.. its items, 44 px apart (small thumbnails)
  local y=$((72 + 44 * $1))
  xdotool mousemove --window "$win" 80 "$y" click 1
  sleep 0.4
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
