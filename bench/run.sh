#!/usr/bin/env bash
# Times publishing a folder of photos at a slider height against vipsthumbnail on the same photos,
# and measures peak memory and picture quality. See bench/README.md.
#   usage: bench/run.sh PHOTO_FOLDER [HEIGHT=120] [RUNS=5]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PHOTOS=$(cd "${1:?usage: bench/run.sh PHOTO_FOLDER [HEIGHT] [RUNS]}" && pwd)
HEIGHT=${2:-120}
RUNS=${3:-5}
BUILD=${TORVANE_BUILD:-$ROOT/build}
BENCH_TOOLS=${BENCH_TOOLS:-/work/shared/bench}

if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" --target scale_bench >/dev/null
cmake --build "$BUILD" --target torvane-cli >/dev/null 2>&1 || true
CLI="$BUILD/bin/torvane-cli"
DRIVER="$BUILD/bin/scale_bench"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mapfile -t LIST < <(find "$PHOTOS" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | sort)
[ ${#LIST[@]} -gt 0 ] || { echo "no JPEG photos in $PHOTOS" >&2; exit 1; }

"$ROOT/bench/write-project.sh" "$WORK/bench.tvn" "$HEIGHT" "${LIST[@]}"

OURS_OUT="$WORK/ours"
VIPS_OUT="$WORK/vips"
mkdir -p "$OURS_OUT" "$VIPS_OUT"
if [ -x "$CLI" ]; then
  OURS=("$CLI" publish "$WORK/bench.tvn" --to "$OURS_OUT" --no-cache)  # scaling, not the cache
  ours_picture() { echo "$OURS_OUT/slider$1.jpg"; }
  OURS_NAME="torvane-cli publish"
else
  OURS=("$DRIVER" "$HEIGHT" "$OURS_OUT" "${LIST[@]}")
  ours_picture() { echo "$OURS_OUT/$(basename "${LIST[$1]}")"; }
  OURS_NAME="scale_bench (torvane-cli not built)"
fi
VIPS=(vipsthumbnail --size "x$HEIGHT" -o "$VIPS_OUT/%s.jpg[Q=90]" "${LIST[@]}")

# Runs a command; appends its wall time in ms to $2 and its peak memory in KB to $3.
timed() {
  local times=$1 mems=$2
  shift 2
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f %M -o "$WORK/mem" "$@" >/dev/null 2>"$WORK/err" || { cat "$WORK/err" >&2; exit 1; }
  t1=$(date +%s%N)
  echo $(((t1 - t0) / 1000000)) >>"$times"
  cat "$WORK/mem" >>"$mems"
}
median() { sort -n "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

echo "${#LIST[@]} photos from $PHOTOS at $HEIGHT px, $RUNS runs, $(nproc) cores"
for ((run = 1; run <= RUNS; run++)); do  # alternate which goes first
  if ((run % 2)); then
    timed "$WORK/t_ours" "$WORK/m_ours" "${OURS[@]}"
    timed "$WORK/t_vips" "$WORK/m_vips" "${VIPS[@]}"
  else
    timed "$WORK/t_vips" "$WORK/m_vips" "${VIPS[@]}"
    timed "$WORK/t_ours" "$WORK/m_ours" "${OURS[@]}"
  fi
done
T_OURS=$(median "$WORK/t_ours")
T_VIPS=$(median "$WORK/t_vips")
echo "$OURS_NAME: median $T_OURS ms (runs: $(paste -sd' ' "$WORK/t_ours")), peak memory $(sort -n "$WORK/m_ours" | tail -1) KB"
echo "vipsthumbnail: median $T_VIPS ms (runs: $(paste -sd' ' "$WORK/t_vips")), peak memory $(sort -n "$WORK/m_vips" | tail -1) KB"
awk -v a="$T_OURS" -v b="$T_VIPS" 'BEGIN {printf "ratio ours / vipsthumbnail: %.3f\n", a / b}'

# One worker against the decode-only floor (the shared limit tool, built by its path).
if [ -f "$BENCH_TOOLS/limit.c" ]; then
  cc -O3 -o "$WORK/limit" "$BENCH_TOOLS/limit.c" -ljpeg -lpthread -lm
  mkdir -p "$WORK/one"
  for ((run = 1; run <= RUNS; run++)); do
    timed "$WORK/t_floor" "$WORK/m_floor" "$WORK/limit" -d -H "$HEIGHT" "${LIST[@]}"
    timed "$WORK/t_one" "$WORK/m_one" "$DRIVER" "$HEIGHT" "$WORK/one" -j 1 "${LIST[@]}"
  done
  T_FLOOR=$(median "$WORK/t_floor")
  T_ONE=$(median "$WORK/t_one")
  awk -v a="$T_ONE" -v b="$T_FLOOR" \
    'BEGIN {printf "one worker: %d ms, decode-only floor: %d ms, ratio %.3f\n", a, b, a / b}'
fi

# Quality of our pictures against a full-resolution Lanczos reference.
if [ -z "${NO_SSIM:-}" ] && [ -f "$BENCH_TOOLS/ssim.py" ]; then
  PAIRS=()
  for i in "${!LIST[@]}"; do PAIRS+=("${LIST[$i]}" "$(ours_picture "$i")"); done
  /usr/bin/python3 "$BENCH_TOOLS/ssim.py" "${PAIRS[@]}" | tail -1
fi
