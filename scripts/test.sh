#!/usr/bin/env bash
# Builds everything and runs every test: natively, then the Windows build
# under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

cmake --preset native
cmake --build --preset native
ctest --preset native

source scripts/wine-env.sh
# A Wine server left from an earlier display would hold windows on a dead one.
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
cmake --preset windows-cross
cmake --build --preset windows-cross
ctest --preset windows-cross
