#!/usr/bin/env bash
# Runs the libFuzzer targets of fuzz/ for a while each.
#
#   scripts/fuzz.sh SECONDS [target...]      every target when none is named
#
# Builds build-fuzz with clang-14 (-DORBEL_FUZZ=ON: libFuzzer, ASan, UBSan),
# then runs the targets two at a time (FUZZ_JOBS), each for SECONDS, at
# nice 5, on the repository's corpus (fuzz/corpus/<target>, read only) and
# its own corpus of new finds in build-fuzz/runs/<target>/corpus, which
# later runs go on from. Each run is bounded: 2 GB resident, 10 s per input,
# a maximum input length per target. Crashes, hangs and OOMs are written to
# build-fuzz/runs/<target>/ (crash-*, timeout-*, oom-*) and listed at the
# end. With FUZZ_MERGE=1 the finds that add coverage are merged into the
# repository's corpus afterwards (-merge=1); nothing is merged otherwise.
# A target's log is build-fuzz/runs/<target>/log.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh SECONDS [target...]" >&2
  exit 2
fi
seconds=$1
shift
build=${FUZZ_BUILD:-$root/build-fuzz}
jobs=${FUZZ_JOBS:-2}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/fuzz/*.cpp; do
    name=$(basename "$f" .cpp)
    [ "$name" = fuzz_support ] || targets+=("$name")
  done
fi
for t in "${targets[@]}"; do
  [ -f "$root/fuzz/$t.cpp" ] || { echo "no fuzz target '$t' (fuzz/$t.cpp)" >&2; exit 2; }
done

# The longest input worth trying: a little above the largest real file of
# the kind (level maps are about 55 KB, fonts 11 KB).
max_len() {
  case $1 in
    map | xml) echo 98304 ;;
    wav | ogg | image | scrambled) echo 65536 ;;
    font | translation) echo 24576 ;;
    *) echo 4096 ;;
  esac
}

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=1
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBEL_FUZZ=ON \
    -DORBEL_TESTS=OFF -DORBEL_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

run_one() {
  local t=$1 run="$build/runs/$1"
  mkdir -p "$run/corpus"
  nice -n 5 "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=2048 \
    -timeout=10 -max_len="$(max_len "$t")" -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$run/" \
    "$run/corpus" "$root/fuzz/corpus/$t" >"$run/log" 2>&1 || true
  if [ "${FUZZ_MERGE:-0}" = 1 ]; then
    "$build/fuzz/fuzz_$t" -merge=1 -rss_limit_mb=2048 -timeout=10 -close_fd_mask=1 \
      "$root/fuzz/corpus/$t" "$run/corpus" >>"$run/log" 2>&1 || true
  fi
}

running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-12s %10s %8s %s\n' target executions exec/s findings
for t in "${targets[@]}"; do
  run="$build/runs/$t"
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$run/log" | tail -1 | awk '{print $2}' || true)
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$run/log" | tail -1 | awk '{print $2}' || true)
  found=$(find "$run" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) | sort)
  [ -n "$found" ] && status=1
  printf '%-12s %10s %8s %s\n' "$t" "${runs:-?}" "${speed:-?}" "$(echo $found)"
done
exit $status
