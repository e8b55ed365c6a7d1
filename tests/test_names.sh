#!/usr/bin/env bash
# Fails when a CTest name would change from build to build or says nothing:
# a parameter printed as raw bytes or a pointer, or a bare case number.
set -euo pipefail
names=$(ctest --test-dir "$1" -N | sed -n 's/^ *Test *#[0-9]*: //p')
bad=$(grep -E '#|<|/[0-9]+$' <<<"$names" || true)
if [ -n "$bad" ]; then
  echo "tests without a readable name:"
  echo "$bad"
  exit 1
fi
echo "$(wc -l <<<"$names") test names, all readable"
