#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DTESSARO_SANITIZE=ON -DTESSARO_BUILD_BENCH=OFF
cmake --build build-test -j"$(nproc)"
# Qt and fontconfig keep caches alive until exit; leaks are not what these runs look for.
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
