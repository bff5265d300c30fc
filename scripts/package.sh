#!/usr/bin/env bash
# Builds Tarnvel.exe and the Windows test suites and packs
# Tarnvel-<version>-win64.zip and Tarnvel-<version>-win64-tests.zip; prints
# the path of each, the release zip first. Beside them goes
# Tarnvel-<version>-win64-unstripped.exe, the same program with its symbol
# table, kept for reading the addresses of a crash; it is never shipped.
# Usage: package.sh [BUILD_FOLDER]   (default build/package)
# File times in the zip come from SOURCE_DATE_EPOCH, by default the time of
# the last commit, so the same commit always gives the same zip.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
dir=${1:-build/package}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

cmake --preset windows-cross -B "$dir" -DBUILD_TESTING=ON >/dev/null
cmake --build "$dir" --target Tarnvel core_tests tarnvel_e2e >/dev/null
(cd "$dir" && cpack -G ZIP >/dev/null)
app_zip=$(ls "$PWD/$dir"/package/Tarnvel-*-win64.zip)
cp "$dir/ui/Tarnvel.unstripped.exe" "${app_zip%.zip}-unstripped.exe"
echo "$app_zip"
ls "$PWD/$dir"/package/Tarnvel-*-win64-tests.zip
