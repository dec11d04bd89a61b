#!/usr/bin/env bash
# Installs missing build packages, then configures and builds into $BUILD (sourced by run.sh and test.sh).
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/deps.sh
BUILD="${TARNWICK_BUILD_DIR:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j"$(nproc)"
