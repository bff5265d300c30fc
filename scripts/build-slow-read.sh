#!/usr/bin/env bash
# Builds the preload library that makes one file read like a slow drive
# (tests/slow_drive/slow_read.c) for this machine's own Wine, and prints its path.
# Usage: build-slow-read.sh OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:?usage: build-slow-read.sh OUT_DIR}
mkdir -p "$out"
source=$here/tests/slow_drive/slow_read.c
library=$out/slow_read.so
if [ ! -e "$library" ] || [ "$source" -nt "$library" ]; then
  cc -O2 -Wall -Wextra -Werror -shared -fPIC -o "$library" "$source" -ldl
fi
echo "$library"
