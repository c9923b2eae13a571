#!/bin/sh
# Draws the pictures of the sample project (harbour.jpg ... meadow.jpg) into this folder.
# They are committed; run again only to change them. Needs ImageMagick's convert.
# sample.tvn names them without a folder: the project file only holds full paths, so whoever opens
# or publishes the sample (the browser test does) copies it and makes those paths absolute first.
set -eu
cd "$(dirname "$0")"

# draw NAME WIDTH HEIGHT TOP_COLOUR BOTTOM_COLOUR SHAPE_COLOUR
draw() {
  name=$1 w=$2 h=$3
  cx=$((w / 3)) cy=$((h / 2)) r=$((h / 4))
  convert -size "${w}x${h}" "gradient:$4-$5" \
    -fill "$6" -draw "circle $cx,$cy $((cx + r)),$cy" \
    -fill "rgba(255,255,255,0.55)" -draw "rectangle $((w * 2 / 3)),$((h / 5)) $((w - w / 10)),$((h - h / 5))" \
    -stroke black -strokewidth 3 -fill none -draw "rectangle 1,1 $((w - 2)),$((h - 2))" \
    -strip -sampling-factor 2x2 -quality 80 "$name"
}

# Sizes scale exactly to the sample's 120 px picture height: 160, 240, 120, 80 and 240 px wide.
draw harbour.jpg 320 240 '#1e5799' '#7db9e8' '#ffcc33'
draw dunes.jpg   400 200 '#f6d365' '#fda085' '#8a3b12'
draw forest.jpg  240 240 '#134e10' '#71b280' '#f0f0a0'
draw tower.jpg   180 270 '#4b0082' '#c9a0dc' '#ffffff'
draw meadow.jpg  360 180 '#56ab2f' '#a8e063' '#d7263d'
