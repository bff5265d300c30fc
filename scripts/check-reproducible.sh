#!/usr/bin/env bash
# Builds the package twice from scratch in two folders and checks that
# Tarnvel.exe and the zip come out byte for byte the same.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh unzip
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
# Folder names of different lengths, so a build path that leaks in shows.
first=build/reproducible-a
second=build/reproducible-second
rm -rf "$first" "$second"
zip_a=$(scripts/package.sh "$first")
zip_b=$(scripts/package.sh "$second")

status=0
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
same "$zip_a" "$zip_b"

# What a user unpacks: the program and its readme, nothing else, no folder.
contents=$(unzip -Z1 "$zip_a" | sort | tr '\n' ' ')
if [ "$contents" != "Tarnvel.exe readme.txt " ]; then
  echo "unexpected zip contents: $contents" >&2
  status=1
fi
exit $status
