#!/usr/bin/env bash
# Times publishing a folder of JPEG photos converted to each other source format against
# vipsthumbnail on the same converted files, with peak memory and picture quality. See
# bench/README.md.
#   usage: bench/formats.sh PHOTO_FOLDER [HEIGHT=120] [FORMATS="png webp heic avif tif"]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PHOTOS=$(cd "${1:?usage: bench/formats.sh PHOTO_FOLDER [HEIGHT] [FORMATS]}" && pwd)
HEIGHT=${2:-120}
FORMATS=${3:-png webp heic avif tif}
BUILD=${TORVANE_BUILD:-$ROOT/build}
BENCH_TOOLS=${BENCH_TOOLS:-/work/shared/bench}
# Converting is slow (HEIC and AVIF above all): the converted photos are kept here between runs.
CONVERTED=${CONVERTED:-$PHOTOS/converted}

cmake --build "$BUILD" --target torvane-cli >/dev/null
CLI="$BUILD/bin/torvane-cli"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mapfile -t LIST < <(find "$PHOTOS" -maxdepth 1 -type f -iname '*.jpg' | sort)
[ ${#LIST[@]} -gt 0 ] || { echo "no JPEG photos in $PHOTOS" >&2; exit 1; }

# The photo converted to FORMAT (8-bit, no alpha; lossy formats at quality 90).
convert_photo() {
  local photo=$1 format=$2 out
  out="$CONVERTED/$format/$(basename "${photo%.*}").$format"
  if [ ! -s "$out" ]; then
    mkdir -p "$CONVERTED/$format"
    case $format in  # the encoders' fast settings: the files take long enough to make
      heic) heif-enc -q 90 -p preset=ultrafast "$photo" -o "$out" >/dev/null ;;
      avif) heif-enc -q 90 -p speed=8 "$photo" -o "$out" >/dev/null ;;
      tif) vips copy "$photo" "$out[compression=lzw]" ;;
      webp) vips copy "$photo" "$out[Q=90]" ;;
      *) vips copy "$photo" "$out" ;;
    esac
  fi
  echo "$out"
}

# Runs a command once; prints its wall time in ms, its processor time (user and system, all
# threads) in ms and its peak memory in KB. On a busy machine the processor time compares better.
timed() {
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f "%U %S %M" -o "$WORK/mem" "$@" >/dev/null 2>"$WORK/err" ||
    { cat "$WORK/err" >&2; exit 1; }
  t1=$(date +%s%N)
  echo "$(((t1 - t0) / 1000000)) $(awk '{printf "%d %d", ($1 + $2) * 1000, $3}' "$WORK/mem")"
}

echo "${#LIST[@]} photos from $PHOTOS at $HEIGHT px, $(nproc) cores, one run each"
for format in $FORMATS; do
  SOURCES=()
  for photo in "${LIST[@]}"; do SOURCES+=("$(convert_photo "$photo" "$format")"); done
  "$ROOT/bench/write-project.sh" "$WORK/$format.tvn" "$HEIGHT" "${SOURCES[@]}"
  rm -rf "$WORK/ours" "$WORK/vips" && mkdir -p "$WORK/ours" "$WORK/vips"
  read -r T_OURS C_OURS M_OURS < <(timed "$CLI" publish "$WORK/$format.tvn" --to "$WORK/ours" --no-cache)
  read -r T_VIPS C_VIPS M_VIPS < <(timed vipsthumbnail --size "x$HEIGHT" -o "$WORK/vips/%s.jpg[Q=90]" \
    "${SOURCES[@]}")
  QUALITY=skipped
  if [ -z "${NO_SSIM:-}" ]; then
    PAIRS=()
    for i in "${!SOURCES[@]}"; do PAIRS+=("${SOURCES[$i]}" "$WORK/ours/slider$i.jpg"); done
    QUALITY=$(/usr/bin/python3 "$BENCH_TOOLS/ssim.py" "${PAIRS[@]}" | tail -1)
  fi
  awk -v f="$format" -v a="$T_OURS" -v b="$T_VIPS" -v ca="$C_OURS" -v cb="$C_VIPS" \
    -v ma="$M_OURS" -v mb="$M_VIPS" -v q="$QUALITY" \
    'BEGIN {printf "%-5s ours %6d ms (cpu %6d) %4d MB | vipsthumbnail %6d ms (cpu %6d) %4d MB | " \
            "ratio %.3f (cpu %.3f) | %s\n", f, a, ca, ma / 1024, b, cb, mb / 1024, a / b, ca / cb, q}'
done
