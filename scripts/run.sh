#!/usr/bin/env bash
# Builds Tarnwick, lays out its demo environment (the stand-in database server with the sample
# project "demo", registry, drives and file server) and starts Tarnwick on it.
set -euo pipefail
source "$(dirname "$0")/build.sh"
BIN="$(cd "$BUILD/bin" && pwd)"

export TARNWICK_ROOT="${TARNWICK_ROOT:-$HOME/.tarnwick/root}"
# The outside programs (command interpreter, RIS clients) are found beside the program.
export PATH="$BIN:$PATH"
"$BIN/twenv" --root "$TARNWICK_ROOT"

# The settings beside the executable: the demo project, its dump folder and the server manager
# that twenv installs (the free-space list has no default program). An existing tarnwick.ini is
# kept, so choices made in the program survive the next start; a server manager it lacks is added.
INI="$BIN/tarnwick.ini"
SVRMGR='d:\orant\bin\svrmgr30.exe'
if [ ! -f "$INI" ]; then
  printf '[TARNWICK]\r\nprojname=demo\r\nrisdmpdir=C:\\pdsdump\r\nsvrmgr_path=%s\r\n' "$SVRMGR" > "$INI"
elif ! grep -qi '^svrmgr_path=' "$INI"; then
  if grep -qi '^\[TARNWICK\]' "$INI"; then
    SVRMGR="$SVRMGR" awk '{ print }
      tolower($0) ~ /^\[tarnwick\]/ && !done { printf "svrmgr_path=%s\r\n", ENVIRON["SVRMGR"]; done = 1 }' \
      "$INI" > "$INI.new"
    # Written through, so a linked settings file keeps its link and the file its mode.
    cat "$INI.new" > "$INI" && rm -f "$INI.new"
  else
    printf '[TARNWICK]\r\nsvrmgr_path=%s\r\n' "$SVRMGR" >> "$INI"
  fi
fi
echo "Settings: $INI"
echo "Stand-in root: $TARNWICK_ROOT"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  cat <<MSG
No display found (DISPLAY and WAYLAND_DISPLAY are unset), so the Tarnwick window cannot be shown.
Run it headless instead, unloading every schema of the demo environment into C:\\pdsdump
(that is $TARNWICK_ROOT/drives/c/pdsdump):

    TARNWICK_ROOT="$TARNWICK_ROOT" PATH="$BIN:\$PATH" "$BIN/tarnwick" /risunloadall; echo "exit code \$?"

The program log is written to \$TMP (or /tmp) as tarnwick_<date>_<time>.log.
MSG
  exit 0
fi
exec "$BIN/tarnwick" "$@"
