#!/usr/bin/env bash
# Takes the pictures of docs/ from the real window under a virtual display: the sample design
# (README), a design of 150 pictures all selected, the window at a 12 pt font and at scale 2, and
# in German (also at scale 2).
# The program runs with settings, caches and data in a scratch folder, never the user's.
#
#   tools/screenshots.sh [OUT_FOLDER=docs]
#
# Needs xvfb-run, xdotool and ImageMagick's import (Debian: xvfb, xdotool, imagemagick).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TORVANE_BUILD:-$root/build}
out=${1:-$root/docs}
mkdir -p "$out"
out=$(cd "$out" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The sample with its pictures, and one whose picture is missing (flagged in the tree).
cp -r "$root/resources/samples" "$scratch/sample"
flagged=$scratch/flagged
mkdir -p "$flagged"
cp "$scratch/sample/"*.jpg "$flagged/"
mv "$flagged/tower.jpg" "$flagged/tower-moved.jpg"
photos=()
for name in harbour dunes forest meadow tower; do photos+=("$flagged/$name.jpg"); done
"$root/bench/write-project.sh" "$flagged/flagged.tvn" 120 "${photos[@]}"
many=()
for i in $(seq 0 149); do
  name=$(printf 'photo%03d.jpg' "$i")
  ln "$scratch/sample/$(basename "${photos[i % 4]}")" "$scratch/$name"
  many+=("$scratch/$name")
done
"$root/bench/write-project.sh" "$scratch/many.tvn" 120 "${many[@]}"

# shot NAME PROJECT SCREEN KEYS [ENV...]: starts the window on PROJECT, presses KEYS (xdotool
# key names, separated by blanks; "tree" clicks the design tree first) and saves the window.
shot() {
  local name=$1 project=$2 screen=$3 keys=$4
  shift 4
  local home=$scratch/home-$name
  mkdir -p "$home"
  xvfb-run -a -s "-screen 0 ${screen}x24" env HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home" \
    QT_QPA_PLATFORM=xcb "$@" bash -c '
      cd "$(dirname "$1")"
      "$0" "$1" >/dev/null 2>&1 &
      program=$!
      window=$(xdotool search --sync --onlyvisible --name "^Torvane$" | head -1)
      sleep 6  # thumbnails, the live preview page
      for key in $2; do
        if [ "$key" = tree ]; then
          eval "$(xdotool getwindowgeometry --shell "$window")"
          xdotool mousemove --window "$window" 80 $((HEIGHT / 4)) click 1
        else
          xdotool key --window "$window" "$key"
        fi
        sleep 0.5
      done
      sleep 3
      import -window "$window" "$3"
      kill "$program"' "$build/bin/torvane" "$project" "$keys" "$out/$name.png"
  echo "$out/$name.png"
}

shot main-window "$scratch/sample/sample.tvn" 1280x1024 ""
shot live-preview "$scratch/sample/sample.tvn" 1280x1024 ""
shot item-tab "$scratch/sample/sample.tvn" 1280x1024 "tree Home Down"
shot thumbnails "$flagged/flagged.tvn" 1280x1024 "tree Home Down shift+End"
shot many-selected "$scratch/many.tvn" 1280x1024 "tree ctrl+a"
shot font-12pt "$scratch/sample/sample.tvn" 1600x1200 "" QT_FONT_DPI=128
shot scale-2 "$scratch/sample/sample.tvn" 2560x1600 "" QT_SCALE_FACTOR=2
shot german "$scratch/sample/sample.tvn" 1280x1024 "" LANGUAGE=de
shot german-item-tab "$scratch/sample/sample.tvn" 1280x1024 "tree Home Down" LANGUAGE=de
shot german-scale-2 "$scratch/sample/sample.tvn" 2560x1600 "" LANGUAGE=de QT_SCALE_FACTOR=2
