#!/usr/bin/env bash
# Builds every fuzz target with Clang in build/fuzz and runs each for a
# bounded number of inputs, starting from its seed corpus in fuzz/corpus/
# (which it never writes: what a run finds new goes to a scratch folder).
# About a minute in all on a two-core machine. Exits non-zero when the build
# fails or any target finds anything (a crash, a leak, a failed check, an
# input over its time or memory limit); the input that did it is kept in
# build/fuzz/findings/.
#
#   fuzz/run.sh                 every target
#   fuzz/run.sh list_fuzz ...   only these
#   FUZZ_RUNS_SCALE=10 fuzz/run.sh   ten times the inputs
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/fuzz
scale=${FUZZ_RUNS_SCALE:-1}

# target, inputs, options
targets=(
  "config_read_fuzz 200000 -dict=$root/fuzz/config_read.dict -malloc_limit_mb=16"
  "utf8_decode_fuzz 150000"
  "sort_fuzz 80000"
  "list_fuzz 100000"
  "session_fuzz 25000 -dict=$root/fuzz/session.dict -max_len=1024"
)

echo "== building the fuzz targets with clang in $build"
mkdir -p "$build"
if ! cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
      -DSORVALE_FUZZ=ON -DSORVALE_TESTS=OFF -DSORVALE_BENCH=OFF >"$build/configure.log" 2>&1; then
  cat "$build/configure.log"
  echo "fuzz: the build could not be configured"
  exit 1
fi
if ! cmake --build "$build" --target fuzz_targets; then
  echo "fuzz: the build failed"
  exit 1
fi

findings=$build/findings
mkdir -p "$findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
ran=0
passed=0
for entry in "${targets[@]}"; do
  read -r name runs options <<<"$entry"
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
  runs=$((runs * scale))
  mkdir -p "$scratch/$name"
  start=$SECONDS
  # -timeout: no input may take 20 seconds (each takes milliseconds, but a
  # busy machine can stall a run for seconds); the seed corpus comes second,
  # so the run adds to the scratch folder only.
  # shellcheck disable=SC2086
  if (cd "$scratch" && "$root/$build/out/$name" -runs="$runs" -timeout=20 \
        -artifact_prefix="$root/$findings/$name-" $options "$name" "$root/fuzz/corpus/${name%_fuzz}") \
        >"$scratch/$name.log" 2>&1; then
    outcome=passed
    passed=$((passed + 1))
  else
    outcome=FAILED
    failed=1
    tail -n 60 "$scratch/$name.log"
  fi
  ran=$((ran + 1))
  summary=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$scratch/$name.log" | tail -n 1 | sed -E 's/^.*DONE +//')
  printf '%-18s %7d inputs %4d s  %s  %s\n' "$name" "$runs" $((SECONDS - start)) "$outcome" "$summary"
done
if [ "$ran" -eq 0 ]; then
  echo "fuzz: no target named $*"
  exit 2
fi
if [ "$failed" -ne 0 ]; then
  echo "findings kept in $findings"
fi
echo "fuzz: $passed passed, $((ran - passed)) failed"
exit "$failed"
