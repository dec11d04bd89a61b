#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing (sourced by run.sh and test.sh).
TARNWICK_PACKAGES=(qt6-base-dev libxlsxwriter-dev libsqlite3-dev libgmp-dev libgtest-dev libgmock-dev
                   libbenchmark-dev pkg-config cmake ninja-build g++ xdg-utils)
tarnwick_missing=()
for p in "${TARNWICK_PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || tarnwick_missing+=("$p")
done
if [ "${#tarnwick_missing[@]}" -gt 0 ]; then
  echo "Installing: ${tarnwick_missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${tarnwick_missing[@]}"
fi
