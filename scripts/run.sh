#!/usr/bin/env bash
# Builds Tarnwick and starts it on its built-in demo environment.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${TARNWICK_BUILD_DIR:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j"$(nproc)"
exec "$BUILD/bin/tarnwick" "$@"
