#!/usr/bin/env bash
# Builds the Debian package as Debian builds its own: Release, with the flags
# dpkg-buildflags gives for full hardening (fortified functions, immediate
# binding, stack protector, read-only relocations).
#   packaging/build-deb.sh [BUILD_DIR]      (default build-deb) -> the .deb in BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build-deb}
# The build's own packages (compilers, Qt, help2man for the manual pages, dpkg-dev).
"$src/scripts/deps.sh"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake reads no CPPFLAGS: the fortify define goes in with the compiler flags.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSARO_BUILD_TESTS=OFF -DTESSARO_BUILD_BENCH=OFF \
      -DCMAKE_STRIP="$src/packaging/strip.sh"
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB)
