#!/usr/bin/env bash
# Times the engine against head -c and dd on one page-cached 1 GB source.
# Usage: bench/compare.sh [WORKDIR]   (needs about 4 GB free there)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
work=${1:-/tmp/tarnvel-bench}
mkdir -p "$work"
cmake --preset native >/dev/null
cmake --build --preset native --target tarnvel-bench >/dev/null

src=$work/source.bin
[ -f "$src" ] || head -c 1000000000 /dev/urandom > "$src"
cat "$src" > /dev/null  # into the page cache

for round in 1 2 3; do
  echo "round $round"
  /usr/bin/time -f "  engine   %e s, peak %M KiB" build/native/bench/tarnvel-bench "$src" "$work/engine.bin" 1000000 >/dev/null
  /usr/bin/time -f "  head -c  %e s, peak %M KiB" sh -c "head -c 1000000000 '$src' > '$work/head.bin'"
  /usr/bin/time -f "  dd bs=1000 %e s" dd if="$src" of="$work/dd.bin" bs=1000 count=1000000 status=none
done
cmp "$work/engine.bin" "$work/head.bin" && echo "engine output identical to head -c"
