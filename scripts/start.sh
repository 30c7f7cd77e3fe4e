#!/usr/bin/env bash
# Installs what is missing, builds the programs (not the tests or benchmarks:
# scripts/test.sh builds and runs the tests, `cmake --build build` builds all)
# and starts Tessaro.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target tessaro tessaro-cli
exec build/bin/tessaro "$@"
