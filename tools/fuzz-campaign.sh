#!/usr/bin/env bash
# Runs a fuzzing campaign: builds the libFuzzer targets with clang, ASan and UBSan into
# build-fuzz/, fuzzes each chosen target for the given time from a copy of its seed corpus, and
# prints per target the executions, the executions per second and the findings (crashes, leaks,
# timeouts, out-of-memory). Exits 1 when there is a finding.
#
#   tools/fuzz-campaign.sh [SECONDS] [project|picture|all] [JOBS]
#
# SECONDS per target (default 300); JOBS parallel fuzzing processes per target (default 1).
# Findings and the grown corpus stay in build-fuzz/campaign/<target>/.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SECONDS_PER_TARGET=${1:-300}
WHICH=${2:-all}
JOBS=${3:-1}
BUILD=${TORVANE_FUZZ_BUILD:-$ROOT/build-fuzz}

source "$ROOT/tools/setup.sh"
torvane_install_missing clang libclang-rt-14-dev cmake ninja-build pkg-config libjpeg-dev liblcms2-dev libicu-dev

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTORVANE_GUI=OFF -DTORVANE_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j2 --target fuzz_project fuzz_picture >/dev/null

# Memory limits: a project or picture that spends more than the publisher may is a finding. A
# single picture may take 384 MB, so no legitimate allocation reaches 512 MB.
# Time limits are wall-clock seconds. A picture takes a few seconds at most in the release build;
# this build (coverage, ASan, UBSan, and clang: no AVX2 resampling) runs it about 35 times slower
# (0.14 s of processor time becomes 4.9 s for a 65463 x 720 picture), and a shared machine
# stretches that again: 60 s still catches a picture whose decoding is unbounded. A slow unit is
# reported (and counted as a finding) at the same limit.
declare -A OPTIONS=(
  [project]="-rss_limit_mb=1024 -malloc_limit_mb=512 -timeout=10 -max_len=65536"
  [picture]="-rss_limit_mb=1536 -malloc_limit_mb=512 -timeout=60 -report_slow_units=60 -max_len=65536"
)
if [ "$WHICH" = all ]; then targets=(project picture); else targets=("$WHICH"); fi

status=0
for target in "${targets[@]}"; do
  work="$BUILD/campaign/$target"
  mkdir -p "$work/corpus" "$work/findings"
  cp -n "$ROOT/fuzz/corpus/$target/"* "$work/corpus/" 2>/dev/null || true
  log="$work/fuzz.log"
  echo "== $target: ${SECONDS_PER_TARGET}s, $JOBS job(s), options ${OPTIONS[$target]}"
  parallel=""
  [ "$JOBS" -gt 1 ] && parallel="-jobs=$JOBS -workers=$JOBS"
  rm -f "$work"/fuzz-*.log
  # shellcheck disable=SC2086
  # Leaks inside libraries we cannot mend are suppressed one by one, each with its reason.
  (cd "$work" && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$ROOT/fuzz/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1 \
    "$BUILD/bin/fuzz_$target" ${OPTIONS[$target]} -max_total_time="$SECONDS_PER_TARGET" \
    -print_final_stats=1 -artifact_prefix="$work/findings/" $parallel \
    corpus >"$log" 2>&1) || true
  logs=("$log")
  [ "$JOBS" -gt 1 ] && logs=("$work"/fuzz-*.log)
  runs=0; seconds=0
  for l in "${logs[@]}"; do
    # A run stopped by a finding has no "Done" line: that must not end this script unheard.
    r=$(grep -a 'stat::number_of_executed_units' "$l" | tail -1 | awk '{print $2}' || true)
    t=$(grep -a 'Done [0-9]* runs in' "$l" | tail -1 | sed -E 's/.*in ([0-9]+) second.*/\1/' || true)
    runs=$((runs + ${r:-0}))
    [ -n "${t:-}" ] && [ "$t" -gt "$seconds" ] && seconds=$t
  done
  [ "$seconds" -gt 0 ] || seconds=$SECONDS_PER_TARGET
  findings=$(find "$work/findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' -o -name 'slow-unit-*' \) | wc -l)
  corpus=$(find "$work/corpus" -type f | wc -l)
  echo "$target: executions $runs in ${seconds}s ($((runs / seconds)) exec/s), corpus $corpus files, findings $findings"
  if [ "$findings" -gt 0 ]; then
    status=1
    find "$work/findings" -type f | sed 's/^/  finding: /'
  fi
done
exit $status
