#!/usr/bin/env bash
# Times saving a project again: publishing the photo set with an empty picture cache (cold), again
# unchanged into the same folder, again after touching one photo, and after changing one link,
# and prints the medians and their ratios; also times a publish with --no-cache. Every publish
# must give the same files, a re-save must change none of them and the link change only the
# configuration script and the project file. See bench/README.md.
#   usage: bench/resave.sh PHOTO_FOLDER [HEIGHT=480] [RUNS=5]
#   COMPARE_CLI=path/to/torvane-cli also times another build's publish (no cache) for the cold case.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PHOTOS=$(cd "${1:?usage: bench/resave.sh PHOTO_FOLDER [HEIGHT] [RUNS]}" && pwd)
HEIGHT=${2:-480}
RUNS=${3:-5}
BUILD=${TORVANE_BUILD:-$ROOT/build}
COMPARE_CLI=${COMPARE_CLI:-}

if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" --target torvane-cli >/dev/null
CLI="$BUILD/bin/torvane-cli"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mapfile -t SOURCES < <(find "$PHOTOS" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | sort)
[ ${#SOURCES[@]} -gt 0 ] || { echo "no JPEG photos in $PHOTOS" >&2; exit 1; }

# Our own copies (time stamps kept), so that touching one leaves the photo set alone.
mkdir -p "$WORK/photos"
cp -p "${SOURCES[@]}" "$WORK/photos/"
mapfile -t LIST < <(find "$WORK/photos" -maxdepth 1 -type f | sort)
TOUCHED=${LIST[$((${#LIST[@]} / 2))]}
"$ROOT/bench/write-project.sh" "$WORK/bench.tvn" "$HEIGHT" "${LIST[@]}"

# Runs a command; appends its wall time in ms to file $1 and its processor time (user + system)
# in ms to $1.cpu, which depends less on what else runs on the machine.
timed() {
  local times=$1
  shift
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f '%U %S' -o "$WORK/cpu" "$@" >/dev/null 2>"$WORK/err" ||
    { cat "$WORK/err" >&2; exit 1; }
  t1=$(date +%s%N)
  echo $(((t1 - t0) / 1000000)) >>"$times"
  awk '{printf "%d\n", ($1 + $2) * 1000}' "$WORK/cpu" >>"$times.cpu"
}
median() { sort -n "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
same() { diff -r "$1" "$2" >/dev/null || { echo "published files differ: $1 $2" >&2; exit 1; }; }
# The last publish's report of what it changed must start so.
changed() {
  grep -q "^$1" "$WORK/err" || { echo "expected \"$1...\", got: $(tail -1 "$WORK/err")" >&2; exit 1; }
}

echo "${#LIST[@]} photos at $HEIGHT px, $RUNS runs, $(nproc) cores; touching $(basename "$TOUCHED")"
for ((run = 1; run <= RUNS; run++)); do
  export XDG_CACHE_HOME="$WORK/cache$run"  # empty: a cold start
  touch -r "${SOURCES[$((${#LIST[@]} / 2))]}" "$TOUCHED"  # its old time stamp back
  rm -rf "$WORK/out"
  if [ -n "$COMPARE_CLI" ] && ((run % 2 == 0)); then
    timed "$WORK/t_compare" "$COMPARE_CLI" publish "$WORK/bench.tvn" --to "$WORK/out/compare"
  fi
  timed "$WORK/t_cold" "$CLI" publish "$WORK/bench.tvn" --to "$WORK/out/cold"
  timed "$WORK/t_nocache" "$CLI" publish "$WORK/bench.tvn" --to "$WORK/out/nocache" --no-cache
  # Saving again writes into the same folder: nothing there changes.
  timed "$WORK/t_warm" "$CLI" publish "$WORK/bench.tvn" --to "$WORK/out/cold"
  changed "Changed: nothing; "
  touch "$TOUCHED"
  timed "$WORK/t_touched" "$CLI" publish "$WORK/bench.tvn" --to "$WORK/out/cold"
  changed "Changed: nothing; "
  # One link changed, as the window saves it: the project file beside the page changes too.
  mkdir -p "$WORK/edited"
  sed '0,/#\$@#\$@_self#\$@/s//#$@other.html#$@_self#$@/' "$WORK/bench.tvn" >"$WORK/edited/bench.tvn"
  timed "$WORK/t_link" "$CLI" publish "$WORK/edited/bench.tvn" --to "$WORK/out/cold"
  changed "Changed: torvanecfg.js, bench.tvn; "
  "$CLI" publish "$WORK/bench.tvn" --to "$WORK/out/cold" >/dev/null 2>&1
  if [ -n "$COMPARE_CLI" ] && ((run % 2 == 1)); then
    timed "$WORK/t_compare" "$COMPARE_CLI" publish "$WORK/bench.tvn" --to "$WORK/out/compare"
  fi
  same "$WORK/out/cold" "$WORK/out/nocache"
  [ -z "$COMPARE_CLI" ] || same "$WORK/out/cold" "$WORK/out/compare"
done
T_COLD=$(median "$WORK/t_cold")
T_WARM=$(median "$WORK/t_warm")
T_TOUCHED=$(median "$WORK/t_touched")
T_NOCACHE=$(median "$WORK/t_nocache")
T_LINK=$(median "$WORK/t_link")
cpu() { echo "processor median $(median "$1.cpu") ms"; }
echo "cold cache:        median $T_COLD ms (runs: $(paste -sd' ' "$WORK/t_cold")), $(cpu "$WORK/t_cold")"
echo "unchanged again:   median $T_WARM ms (runs: $(paste -sd' ' "$WORK/t_warm")), $(cpu "$WORK/t_warm")"
echo "one photo touched: median $T_TOUCHED ms (runs: $(paste -sd' ' "$WORK/t_touched")), $(cpu "$WORK/t_touched")"
echo "one link changed:  median $T_LINK ms (runs: $(paste -sd' ' "$WORK/t_link")), $(cpu "$WORK/t_link")"
echo "--no-cache:        median $T_NOCACHE ms (runs: $(paste -sd' ' "$WORK/t_nocache")), $(cpu "$WORK/t_nocache")"
awk -v c="$T_COLD" -v w="$T_WARM" -v t="$T_TOUCHED" -v l="$T_LINK" -v n="$T_NOCACHE" \
  'BEGIN {printf "ratios to cold: unchanged %.3f, one touched %.3f, one link %.3f; cold / no cache %.3f\n", w / c, t / c, l / c, c / n}'
if [ -n "$COMPARE_CLI" ]; then
  T_COMPARE=$(median "$WORK/t_compare")
  echo "$COMPARE_CLI: median $T_COMPARE ms (runs: $(paste -sd' ' "$WORK/t_compare")), $(cpu "$WORK/t_compare")"
  awk -v c="$T_COLD" -v b="$T_COMPARE" -v cc="$(median "$WORK/t_cold.cpu")" \
    -v bc="$(median "$WORK/t_compare.cpu")" \
    'BEGIN {printf "cold / compared build: %.3f (processor time %.3f)\n", c / b, cc / bc}'
fi
echo "published files identical in every case"
