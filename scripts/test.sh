#!/usr/bin/env bash
# Builds Tarnwick and runs every test (window tests offscreen).
set -euo pipefail
source "$(dirname "$0")/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600
scripts/whole-process-tests.sh "$BUILD"
