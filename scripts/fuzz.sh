#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (address and undefined-behaviour
# sanitizers on) in their own folder and runs each for the given seconds (default 60), starting
# from its stored inputs in tests/data/fuzz/<target>. An input that makes a target fail is left
# in the build folder as crash-*; keep it in tests/data/fuzz/<target>/ once it is mended, so the
# replay test checks it in every build. Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/deps.sh
SECONDS_EACH="${1:-60}"
shift || true
BUILD="${TARNWICK_FUZZ_BUILD_DIR:-build-fuzz}"
JOBS="${JOBS:-$(nproc)}"
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "Installing clang and its libFuzzer runtime"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  # A fresh machine may not have the package lists yet.
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends clang libclang-rt-dev
fi
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_FUZZ=ON \
  -DTARNWICK_BUILD_BENCH=OFF
TARGETS=("$@")
if [ "${#TARGETS[@]}" -eq 0 ]; then
  TARGETS=(dump dump_round_trip profile_file registry_store batch_line ris_error sql ddl_file script_line)
fi
cmake --build "$BUILD" -j"$JOBS" --target "${TARGETS[@]/#/fuzz_}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for t in "${TARGETS[@]}"; do
  corpus="$BUILD/corpus/$t"
  mkdir -p "$corpus" "$BUILD/crashes/$t"
  echo "== fuzz_$t: ${SECONDS_EACH} s"
  # The stored inputs seed the run; what it adds stays in the build folder.
  # Scratch files of the run go into the build folder, also when a failure ends it abruptly.
  scratch="$BUILD/tmp/$t"
  rm -rf "$scratch" && mkdir -p "$scratch"
  set +e
  TMPDIR="$scratch" "$BUILD/bin/fuzz_$t" -max_total_time="$SECONDS_EACH" -max_len=8192 -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$BUILD/crashes/$t/" "$corpus" "tests/data/fuzz/$t" >"$BUILD/fuzz_$t.log" 2>&1
  rc=$?
  set -e
  rm -rf "$scratch"
  grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY|.*uncaught exception|.*Test unit written)" \
    "$BUILD/fuzz_$t.log" || true
  if [ "$rc" -ne 0 ]; then
    echo "fuzz_$t FAILED: see $BUILD/fuzz_$t.log and $BUILD/crashes/$t/"
    status=1
  fi
done
exit $status
