#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers (leak checks included) in
# its own folder and runs every test there. JOBS=<n> limits the parallel jobs (default: all cores).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/deps.sh
BUILD="${TARNWICK_SANITIZE_BUILD_DIR:-build-sanitize}"
JOBS="${JOBS:-$(nproc)}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=ON -DTARNWICK_BUILD_BENCH=OFF
cmake --build "$BUILD" -j"$JOBS"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$BUILD" --output-on-failure -j"$JOBS" --timeout 1800
