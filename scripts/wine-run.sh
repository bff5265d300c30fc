#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix; ctest uses this as
# the emulator for every cross-built test.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/wine-env.sh"
"$here/setup-wine-prefix.sh" "${TARNVEL_DPI:-96}"
exec wine "$@"
