#!/usr/bin/env bash
# Installs the Debian packages a build needs, when any is missing.
#   tools/ensure-packages.sh            the Linux build, tests and benchmarks
#   tools/ensure-packages.sh windows    and the Windows build, Wine and a virtual display
#   tools/ensure-packages.sh all        everything (what ./test.sh and CI need:
#                                       also clang and libFuzzer, gcovr, valgrind)
set -euo pipefail
linux=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libicu-dev googletest libstb-dev libtag1-dev
       libgtk-3-dev libedit-dev xvfb xauth xdotool x11-utils openbox fonts-wqy-microhei fonts-dejavu-core)
windows=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64)
proof=(clang libclang-rt-14-dev llvm gcovr valgrind)
packages=("${linux[@]}")
case "${1:-linux}" in
  linux) ;;
  windows) packages+=("${windows[@]}") ;;
  all) packages+=("${windows[@]}" "${proof[@]}") ;;
  *) echo "usage: $0 [linux|windows|all]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
