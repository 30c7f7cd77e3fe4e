#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessaro.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
exec build/bin/tessaro "$@"
