#!/usr/bin/env bash
# Fetches the source of Debian's Google Benchmark (package benchmark) into
# DEST, for the Windows build, which has no mingw package of it:
#   tools/benchmark-source.sh DEST
# apt-get source with a list of its own (deb-src of the system's suites, kept
# under DEST's folder), so the system's own apt set-up is left as it is.
set -euo pipefail
dest=$1
work="$dest.apt"
rm -rf "$work" "$dest"
mkdir -p "$work/lists/partial" "$work/download"
# The release the system installs from.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $codename main" >"$work/sources.list"
options=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null -o "Dir::State::Lists=$work/lists"
  -o APT::Sandbox::User=root -qq)
apt-get "${options[@]}" update
(cd "$work/download" && apt-get "${options[@]}" source --download-only benchmark)
mkdir -p "$dest"
tar -xf "$work"/download/benchmark_*.orig.tar.* -C "$dest" --strip-components=1
rm -rf "$work"
echo "Google Benchmark $(sed -n 's/^project *(benchmark VERSION \([0-9.]*\).*/\1/p' "$dest/CMakeLists.txt") in $dest"
