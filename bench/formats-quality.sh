#!/usr/bin/env bash
# Picture formats for the published slider: bytes, SSIM against the exact scaled picture and
# encode time of JPEG (quality 90, as published), WebP and AVIF at several qualities, at each
# slider height; then the cold publish with and without the further formats, and the bytes a
# visitor downloads in each browser. See bench/README.md.
#   usage: bench/formats-quality.sh PHOTO_FOLDER [HEIGHTS="120 480"] [RUNS=3]
#   WEBP="80,85,90" AVIF="60,70,75" choose the qualities tried; AVIF_SPEED, WEBP_METHOD the
#   encoder settings (default: those the program publishes with).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PHOTOS=$(cd "${1:?usage: bench/formats-quality.sh PHOTO_FOLDER [HEIGHTS] [RUNS]}" && pwd)
HEIGHTS=${2:-120 480}
RUNS=${3:-3}
BUILD=${TORVANE_BUILD:-$ROOT/build}
TOOLS=${BENCH_TOOLS:-/work/shared/bench}
OPTIONS=()
[ -z "${WEBP:-}" ] || OPTIONS+=(--webp "$WEBP")
[ -z "${AVIF:-}" ] || OPTIONS+=(--avif "$AVIF")
[ -z "${AVIF_SPEED:-}" ] || OPTIONS+=(--avif-speed "$AVIF_SPEED")
[ -z "${WEBP_METHOD:-}" ] || OPTIONS+=(--webp-method "$WEBP_METHOD")

if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" --target formats_bench torvane-cli >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mapfile -t LIST < <(find "$PHOTOS" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | sort)
[ ${#LIST[@]} -gt 0 ] || { echo "no JPEG photos in $PHOTOS" >&2; exit 1; }

echo "${#LIST[@]} photos, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| height | format | quality | bytes | to JPEG | mean SSIM | worst SSIM | encode ms (one thread) |"
echo "|---|---|---|---|---|---|---|---|"
for height in $HEIGHTS; do
  mkdir -p "$WORK/q$height"
  "$BUILD/bin/formats_bench" "$height" "$WORK/q$height" "${OPTIONS[@]}" "${LIST[@]}" |
    /usr/bin/python3 "$ROOT/bench/formats-quality.py" "$WORK/q$height" "$height" "$TOOLS"
done

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
bytes() { find "$1" -maxdepth 1 -name "slider*.$2" -not -name '*@2x*' -printf '%s\n' | awk '{s += $1} END {print s}'; }
echo
echo "| height | cold publish, JPEG only: ms (processor ms) | JPEG + WebP + AVIF: ms (processor ms) | ratio (processor) | JPEG bytes | AVIF bytes (Chromium) | WebP bytes (WebP-only browsers) |"
echo "|---|---|---|---|---|---|---|"
for height in $HEIGHTS; do
  "$ROOT/bench/write-project.sh" "$WORK/p$height.tvn" "$height" "${LIST[@]}"
  : >"$WORK/t_jpeg"
  : >"$WORK/t_all"
  : >"$WORK/t_jpeg.cpu"
  : >"$WORK/t_all.cpu"
  for ((run = 1; run <= RUNS; run++)); do
    for variant in jpeg all; do
      formats=jpeg
      [ $variant = all ] && formats=jpeg,webp,avif
      rm -rf "$WORK/out-$variant"
      t0=$(date +%s%N)
      /usr/bin/time -f '%U %S' -o "$WORK/cpu" "$BUILD/bin/torvane-cli" publish "$WORK/p$height.tvn" \
        --no-cache --quiet --formats "$formats" --to "$WORK/out-$variant" >/dev/null 2>&1
      echo $((($(date +%s%N) - t0) / 1000000)) >>"$WORK/t_$variant"
      awk '{printf "%d\n", ($1 + $2) * 1000}' "$WORK/cpu" >>"$WORK/t_$variant.cpu"
    done
  done
  j=$(median <"$WORK/t_jpeg")
  a=$(median <"$WORK/t_all")
  jc=$(median <"$WORK/t_jpeg.cpu")
  ac=$(median <"$WORK/t_all.cpu")
  jb=$(bytes "$WORK/out-all" jpg)
  ab=$(bytes "$WORK/out-all" avif)
  wb=$(bytes "$WORK/out-all" webp)
  awk -v h="$height" -v j="$j" -v a="$a" -v jc="$jc" -v ac="$ac" -v jb="$jb" -v ab="$ab" -v wb="$wb" 'BEGIN {
    printf "| %s | %d (%d) | %d (%d) | %.2f (%.2f) | %d | %d (%.3f) | %d (%.3f) |\n", h, j, jc, a, ac, a / j, ac / jc,
      jb, ab, ab / jb, wb, wb / jb }'
done
