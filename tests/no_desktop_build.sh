#!/usr/bin/env bash
# tests/no_desktop_build.sh SOURCE BUILD CXX
# A build without the desktop (SORVALE_DESKTOP OFF), configured with pkg-config
# and ICU out of reach, so that looking for any desktop library fails it: the
# component and the headless toolkit's tests build, the toolkit's tests pass,
# and neither library the component is made of needs a desktop library. BUILD
# stays between runs, so a later run builds only what changed.
set -euo pipefail
(($# == 3)) || { echo "usage: $0 SOURCE BUILD CXX" >&2; exit 2; }
source=$1
build=$2
mkdir -p "$build"
if ! cmake -S "$source" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$3" -DCMAKE_BUILD_TYPE=Debug \
      -DSORVALE_DESKTOP=OFF -DSORVALE_BENCH=OFF -DSORVALE_WERROR=ON \
      -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON -DCMAKE_DISABLE_FIND_PACKAGE_ICU=ON >"$build/configure.log" 2>&1; then
  cat "$build/configure.log"
  echo "no desktop: the build could not be configured"
  exit 1
fi
# One job: the other tests run beside this one.
cmake --build "$build" -j1 --target foo_sorvale forms_tests
for library in foo_sorvale.so libsorvale_forms.so; do
  needed=$(readelf -d "$build/out/$library" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
  if desktop=$(grep -Ei 'gtk|gdk|cairo|pango|x11|tag|edit|icu' <<<"$needed"); then
    echo "no desktop: $library needs $desktop"
    exit 1
  fi
done
"$build/out/forms_tests" --gtest_brief=1
echo "no desktop: the component and the headless toolkit built, and the toolkit's tests passed"
