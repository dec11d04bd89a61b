#!/usr/bin/env bash
# Runs every test program of the build once as one process, without a filter, besides ctest's
# one-test-per-process runs: the tests of a program share the process-wide state (the access
# object, settings, the stand-in root, environment variables), so each must leave it as it
# found it. Usage: scripts/whole-process-tests.sh [build folder]
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD="$(cd "${1:-${TARNWICK_BUILD_DIR:-build}}" && pwd)"
export QT_QPA_PLATFORM=offscreen TARNWICK_BIN_DIR="$BUILD/bin"
logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
programs=("$BUILD"/bin/test_*)
[ -e "${programs[0]}" ] || { echo "no test programs in $BUILD/bin" >&2; exit 1; }
# A program of the build relinked while the tests run (a build in this folder at the same time)
# cannot be started for a while: every client run of that moment fails. Noted, so that such
# failures are not taken for faults of the code.
binaries() { find "$BUILD/bin" -maxdepth 1 -type f -printf '%f %i %T@ %s\n' | sort; }
binaries > "$logs/bin.before"
# The programs run side by side, each into its own log; a failing one's log is shown whole.
printf '%s\n' "${programs[@]}" |
  xargs -P "$(nproc)" -I{} sh -c '"$1" --gtest_brief=1 > "$2/$(basename "$1").log" 2>&1; echo $? > "$2/$(basename "$1").rc"' _ {} "$logs"
failed=0
for p in "${programs[@]}"; do
  name="$(basename "$p")"
  rc="$(cat "$logs/$name.rc" 2>/dev/null || echo 1)"
  if [ "$rc" = 0 ]; then
    echo "whole process: $name passed"
  else
    echo "whole process: $name FAILED (exit $rc)"
    cat "$logs/$name.log"
    failed=1
  fi
done
binaries > "$logs/bin.after"
if ! cmp -s "$logs/bin.before" "$logs/bin.after"; then
  echo "whole process: programs of $BUILD/bin changed while the tests ran (a build at the same time?);" \
       "failures of their client runs may come from that:"
  diff "$logs/bin.before" "$logs/bin.after" | sed -n 's/^[<>] \([^ ]*\) .*/  \1/p' | sort -u
fi
exit $failed
