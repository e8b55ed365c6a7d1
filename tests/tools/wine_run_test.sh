#!/usr/bin/env bash
# tools/wine-run tries a program once more only when Wine itself ended by a
# signal or its Linux loader failed; a program's own exit status, failure or
# crash, is passed on as it is. Wine is a stand-in on PATH here that answers
# each run from a list.
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/bin" "$tmp/build/wine-prefix"
touch "$tmp/build/CMakeCache.txt" "$tmp/build/program.exe" "$tmp/build/wine-prefix/.ready"
touch "$tmp/build/wine-prefix/.wine-packages"
# Each run takes the next answer: a number is an exit status, SEGV a crash of Wine.
cat >"$tmp/bin/wine" <<'STUB'
#!/usr/bin/env bash
answers=$(cat "$ANSWERS")
answer=${answers%% *}
echo "${answers#* }" >"$ANSWERS"
echo run >>"$RUNS"
[ "$answer" = SEGV ] && kill -SEGV $$
exit "$answer"
STUB
chmod +x "$tmp/bin/wine"

failures=0
# case ANSWERS EXPECTED_STATUS EXPECTED_RUNS
check() {
  echo "$1 0" >"$tmp/answers"
  : >"$tmp/runs"
  local status=0
  PATH="$tmp/bin:$PATH" ANSWERS="$tmp/answers" RUNS="$tmp/runs" \
    "$source/tools/wine-run" "$tmp/build/program.exe" 2>"$tmp/err" || status=$?
  local runs
  runs=$(wc -l <"$tmp/runs")
  if [ "$status" != "$2" ] || [ "$runs" != "$3" ]; then
    echo "FAIL: answers '$1': status $status after $runs runs, expected $2 after $3" >&2
    cat "$tmp/err" >&2
    failures=$((failures + 1))
  fi
}
check "0" 0 1
check "1" 1 1            # the program's tests failed
check "5" 5 1            # the program crashed (Wine's exit status of an access violation)
check "SEGV 0" 0 2       # Wine crashed; the second run passes
check "SEGV 1" 1 2
check "127 0" 0 2        # the Linux loader's check failed as Wine exited
check "SEGV SEGV" 139 2  # tried once more only
grep -q "running it once more" "$tmp/err" || { echo "FAIL: the retry is not reported" >&2; failures=$((failures + 1)); }
((failures == 0)) && echo "wine-run: every case as expected"
exit $((failures != 0))
