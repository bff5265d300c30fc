#!/usr/bin/env bash
# Runs the Windows test suites as a tester on Windows does: the tests zip is
# packed, unpacked into a fresh folder, and its run-tests.cmd runs both suites
# there against the Tarnvel.exe beside them, under Wine in the tests' prefix.
# Not while ctest runs its end-to-end suite: both need drive C: to themselves.
# Usage: test-zip.sh [BUILD_FOLDER]   (default build/windows, ctest's folder)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh unzip
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$PWD/scripts/test-zip.sh" "$@"
fi
root=$PWD

mapfile -t zips < <(scripts/package.sh "${1:-build/windows}")
if [ ${#zips[@]} -ne 2 ]; then
  echo "package.sh did not make both zips" >&2
  exit 1
fi
unpacked=$root/build/tests-zip
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "${zips[1]}" -d "$unpacked"
echo "unpacked $(basename "${zips[1]}") into $unpacked"

cd "$unpacked"
"$root/scripts/wine-run.sh" cmd /c run-tests.cmd
