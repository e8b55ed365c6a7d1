#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs every benchmark
# program (each bench/ folder's), then prints the figures beside their goals
# (bench/goals.json, read with the programs' JSON by bench/report.py) at
# 1,000, 10,000 and 100,000 queued entries, so that growth shows.
#
#   ./bench.sh                     build/release, 5 repetitions of each case
#   SORVALE_BENCH_PRESET=P         another preset: windows-release or
#                                  windows-x86-release run under Wine
#   SORVALE_BENCH_BUILD=DIR        another build folder
#   SORVALE_BENCH_REPETITIONS=N    another count of repetitions
#
# Each figure is the fastest repetition's (the machine is shared: the minimum
# is the run least disturbed by others); times are the benchmark thread's CPU
# time. Every program's own output and JSON stay in DIR/bench-results.
set -euo pipefail
cd "$(dirname "$0")"
preset=${SORVALE_BENCH_PRESET:-release}
build=${SORVALE_BENCH_BUILD:-build/$preset}
repetitions=${SORVALE_BENCH_REPETITIONS:-5}
runner=()
suffix=
case $preset in
  windows*) tools/ensure-packages.sh windows; runner=(tools/wine-run); suffix=.exe ;;
  *) tools/ensure-packages.sh ;;
esac
cmake --preset "$preset" -B "$build" >/dev/null
cmake --build "$build" >&2
results="$build/bench-results"
rm -rf "$results"
mkdir -p "$results"
shopt -s nullglob
programs=("$build"/out/*_bench$suffix)
if ((${#programs[@]} == 0)); then
  echo "bench.sh: no benchmark program in $build/out" >&2
  exit 1
fi
for program in "${programs[@]}"; do
  name=$(basename "$program" "_bench$suffix")
  echo "running $(basename "$program") ..." >&2
  "${runner[@]}" "$program" --benchmark_repetitions="$repetitions" --benchmark_out="$results/$name.json" \
    --benchmark_out_format=json >"$results/$name.txt" 2>&1 ||
    { echo "bench.sh: $(basename "$program") failed; its output is $results/$name.txt" >&2; exit 1; }
done

commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then commit="$commit (with uncommitted changes)"; fi
# The table: each case's figures beside its goal in bench/goals.json.
python3 bench/report.py "$results" bench/goals.json --commit "$commit" --preset "$preset" --repetitions "$repetitions"
