#!/usr/bin/env bash
# Opens Tarnvel.exe on a virtual display at the given DPI and saves a PNG.
# Usage: screenshot.sh EXE OUT.png [DPI]   (each DPI gets its own prefix)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=$1 out=$2 dpi=${3:-96}
if [ "$dpi" != 96 ]; then export TARNVEL_WINEPREFIX=$here/../build/wineprefix-app-$dpi; fi
export TARNVEL_WINEPREFIX=${TARNVEL_WINEPREFIX:-$here/../build/wineprefix-app}
source "$here/wine-env.sh"
size=$((480 * dpi / 96))x$((360 * dpi / 96))
xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
  set -e
  wineserver -k 2>/dev/null || true
  "$1/setup-wine-prefix.sh" "$2"
  wine explorer /desktop=Tarnvel,$3 "$4" &
  sleep 8
  import -window root -crop $3+0+0 "$5"
  wineserver -k' _ "$here" "$dpi" "$size" "$exe" "$out"
