#!/usr/bin/env bash
# Installs the Debian packages a build needs, when any is missing.
#   tools/ensure-packages.sh            the Linux build, tests and benchmarks
#   tools/ensure-packages.sh core       only what a build without the desktop needs
#                                       (-DSORVALE_DESKTOP=OFF, preset no-desktop)
#   tools/ensure-packages.sh windows    and the Windows builds (x64 and x86), Wine
#                                       with its 32-bit side, and a virtual display
#   tools/ensure-packages.sh all        everything (what ./test.sh and CI need:
#                                       also libFuzzer, gcovr, valgrind)
set -euo pipefail
core=(cmake ninja-build g++ python3 libgtest-dev libstb-dev)
linux=("${core[@]}" libgmock-dev libbenchmark-dev libicu-dev googletest libstb-dev libtag1-dev
       libgtk-3-dev libedit-dev xvfb xauth xdotool x11-utils openbox fonts-wqy-microhei fonts-dejavu-core
       dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0)
# Both Windows builds compile their MSVC-mode files with clang and make import
# libraries and strip sections with llvm's tools (cmake/msvc_mode.cmake); x86
# programs run on Wine's 32-bit side, which is Debian's i386 architecture.
windows=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools wine wine64 wine32:i386 clang llvm)
proof=(libclang-rt-14-dev gcovr valgrind)
packages=("${linux[@]}")
case "${1:-linux}" in
  core) packages=("${core[@]}") ;;
  linux) ;;
  windows) packages+=("${windows[@]}") ;;
  all) packages+=("${windows[@]}" "${proof[@]}") ;;
  *) echo "usage: $0 [core|linux|windows|all]" >&2; exit 2 ;;
esac
# A package counts when installed, not merely known (a removed one keeps its
# configuration files and a status); ARCH-suffixed names are asked as they are.
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" 2>/dev/null | grep -qx 'Status: install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  for p in "${missing[@]}"; do
    arch=${p#*:}
    [ "$arch" != "$p" ] || continue
    if [ "$arch" != "$(dpkg --print-architecture)" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
      dpkg --add-architecture "$arch"
    fi
  done
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
