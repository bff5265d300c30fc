#!/usr/bin/env bash
# Builds everything and runs every test and check: static checks, the core
# natively and under the sanitizers, short fuzz runs, the Windows build under
# Wine on a virtual display, the reproducibility of the package and the
# signing round trip.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

step() { echo; echo "== $*"; }

step "static checks"
scripts/lint.sh

step "core, native"
cmake --preset native
cmake --build --preset native
ctest --preset native

step "core, AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

step "fuzzing, 30 s a target"
scripts/fuzz.sh 30

step "Windows build under Wine"
source scripts/wine-env.sh
# A Wine server left from an earlier display would hold windows on a dead one.
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
cmake --preset windows-cross
cmake --build --preset windows-cross
scripts/check-windows-version.py --self-test build/windows/compile_commands.json
scripts/check-imports.sh build/windows/ui/Tarnvel.exe ui/imports.allow
scripts/check-load-config.sh build/windows/ui/Tarnvel.exe
ctest --preset windows-cross

step "Wine under a bare environment's POSIX locale"
# The scripts that start Wine choose a UTF-8 locale themselves; without one,
# Wine can make no Japanese file name and every Wine run above would fail.
env -i PATH="$PATH" DISPLAY="$DISPLAY" scripts/wine-run.sh build/windows/tests/core/core_tests.exe \
  --gtest_filter=Measurement.JapaneseAndNonBmpNamesAreMeasured

step "Windows test programs from the tests zip, under Wine"
# After ctest, never beside it: both end-to-end runs need drive C: alone.
scripts/test-zip.sh

step "reproducible package"
scripts/check-reproducible.sh

step "signing round trip"
scripts/check-signing.sh build/reproducible-a
