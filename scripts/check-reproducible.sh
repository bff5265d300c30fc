#!/usr/bin/env bash
# Builds the packages twice from scratch in two folders and checks that
# Tarnvel.exe and both zips come out byte for byte the same; then the same
# for Tarnvel.exe from two plain builds of the windows-cross preset, made
# as a developer makes them, without SOURCE_DATE_EPOCH.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh unzip
plain_first=build/reproducible-plain-a
plain_second=build/reproducible-plain-second
rm -rf "$plain_first" "$plain_second"
for dir in "$plain_first" "$plain_second"; do
  env -u SOURCE_DATE_EPOCH cmake --preset windows-cross -B "$dir" >/dev/null
  env -u SOURCE_DATE_EPOCH cmake --build "$dir" --target Tarnvel >/dev/null
done
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
# Folder names of different lengths, so a build path that leaks in shows.
first=build/reproducible-a
second=build/reproducible-second
rm -rf "$first" "$second"
mapfile -t zips_a < <(scripts/package.sh "$first")
mapfile -t zips_b < <(scripts/package.sh "$second")
if [ ${#zips_a[@]} -ne 2 ] || [ ${#zips_b[@]} -ne 2 ]; then
  echo "package.sh did not make both zips" >&2
  exit 1
fi

status=0
# Notices written for another toolchain would name the wrong libraries.
scripts/make-notices.py --check || status=1
same() {
  if cmp -s "$1" "$2"; then
    echo "same: $(sha256sum "$1" | cut -c1-16)  $(basename "$1")"
  else
    echo "DIFFERENT: $1 $2" >&2
    cmp -l "$1" "$2" | head -5 >&2 || true
    status=1
  fi
}
same "$first/ui/Tarnvel.exe" "$second/ui/Tarnvel.exe"
same "$plain_first/ui/Tarnvel.exe" "$plain_second/ui/Tarnvel.exe"
same "$plain_first/ui/Tarnvel.unstripped.exe" "$plain_second/ui/Tarnvel.unstripped.exe"
same "${zips_a[0]%.zip}-unstripped.exe" "${zips_b[0]%.zip}-unstripped.exe"
same "${zips_a[0]}" "${zips_b[0]}"
same "${zips_a[1]}" "${zips_b[1]}"

holds() {  # zip, then its expected files in sorted order, all at the top level
  local zip=$1 contents
  shift
  contents=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
  if [ "$contents" != "$* " ]; then
    echo "unexpected contents of $(basename "$zip"): $contents" >&2
    status=1
  fi
}
# What a user unpacks: the program, its readme and the notices its libraries
# ask for, nothing else, no folder.
holds "${zips_a[0]}" THIRD-PARTY-NOTICES.txt Tarnvel.exe readme.txt
holds "${zips_a[1]}" THIRD-PARTY-NOTICES.txt Tarnvel.exe core_tests.exe fake_editor.exe planted.dll readme.txt run-tests.cmd tarnvel_e2e.exe tests-readme.txt
exit $status
