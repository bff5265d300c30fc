#!/usr/bin/env bash
# Builds Tarnvel.exe and starts it under Wine. Without a display it opens the
# window on a virtual one, saves a screenshot and prints where it is.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh imagemagick  # for the screenshot when there is no display
cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross --target Tarnvel
exe=build/windows/ui/Tarnvel.exe
# Not the tests' prefix: they tune Wine's window handling for a display without a window manager.
export TARNVEL_WINEPREFIX=${TARNVEL_WINEPREFIX:-$PWD/build/wineprefix-app}
source scripts/wine-env.sh

if [ -n "${DISPLAY:-}" ]; then
  scripts/setup-wine-prefix.sh
  exec wine "$exe"
fi

shot=${TARNVEL_SCREENSHOT:-$PWD/build/tarnvel-window.png}
scripts/screenshot.sh "$exe" "$shot" "${TARNVEL_DPI:-96}"
echo "No display here: the window was opened on a virtual one. Screenshot: $shot"
