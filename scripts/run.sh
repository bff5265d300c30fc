#!/usr/bin/env bash
# Builds Tarnvel.exe and starts it under Wine. Without a display it opens the
# window on a virtual one, saves a screenshot and prints where it is.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross --target Tarnvel
exe=build/windows/ui/Tarnvel.exe
source scripts/wine-env.sh

if [ -n "${DISPLAY:-}" ]; then
  scripts/setup-wine-prefix.sh
  exec wine "$exe"
fi

shot=${TARNVEL_SCREENSHOT:-$PWD/build/tarnvel-window.png}
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  set -e
  wineserver -k 2>/dev/null || true
  scripts/setup-wine-prefix.sh
  wine explorer /desktop=Tarnvel,480x360 "$1" &
  sleep 8
  import -window root -crop 480x360+0+0 "$2"
  wineserver -k' _ "$exe" "$shot"
echo "No display here: the window was opened on a virtual one. Screenshot: $shot"
