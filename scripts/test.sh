#!/usr/bin/env bash
# Builds Tarnwick and runs every test (window tests offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
BUILD="${TARNWICK_BUILD_DIR:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600
