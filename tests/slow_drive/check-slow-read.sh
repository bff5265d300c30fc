#!/usr/bin/env bash
# Checks the slow-drive preload library's pacing natively: what each read of
# the file waits, from its trace, for reads by dd (read) and Python (pread),
# and that the waits are really slept.
# Usage: check-slow-read.sh [BUILD_DIR]   (exits 77 without a C compiler)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if ! command -v cc >/dev/null; then echo "SKIP: no C compiler for the preload library" >&2; exit 77; fi
library=$("$here/scripts/build-slow-read.sh" "${1:-$here/build/slow-read}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/source
head -c 300000 /dev/zero > "$file"
failures=0

# paced VAR=VALUE... -- COMMAND...: the command's trace, one "at bytes seconds" a read.
paced() {
  local settings=()
  while [ "$1" != -- ]; do settings+=("$1"); shift; done
  shift
  env LD_PRELOAD="$library" TARNVEL_SLOW_FILE="$file" TARNVEL_SLOW_BYTES_PER_SECOND=1000000 \
    TARNVEL_SLOW_ROUND_TRIP_MS=10 TARNVEL_SLOW_TRACE=1 "${settings[@]}" "$@" 2>&1 >/dev/null |
    sed -n 's/^slow_read: at \([0-9]*\), \([0-9]*\) bytes, \([0-9.]*\) s$/\1 \2 \3/p' | paste -sd' ' -
}
expect() {  # CASE WANTED GOT
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  want: %s\n  got:  %s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  else
    printf 'ok   %s: %s\n' "$1" "$3"
  fi
}
by_dd=(dd if="$file" bs=100000 status=none)
# Three reads from 150,000 bytes on: the cache's edge, then beyond it.
by_pread=(python3 -c 'import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY)
for at in (50000, 100000, 200000): os.pread(fd, 100000, at)' "$file")

expect "no new variables: a round trip and the bytes each, and the end of the file asks too" \
  "0 100000 0.110000 100000 100000 0.110000 200000 100000 0.110000 300000 0 0.010000" \
  "$(paced -- "${by_dd[@]}")"
expect "cached: the read within it is free, the one across it pays its bytes beyond" \
  "0 100000 0.000000 100000 100000 0.060000 200000 100000 0.110000 300000 0 0.010000" \
  "$(paced TARNVEL_SLOW_CACHED_BYTES=150000 -- "${by_dd[@]}")"
expect "cached, by pread" \
  "50000 100000 0.000000 100000 100000 0.060000 200000 100000 0.110000" \
  "$(paced TARNVEL_SLOW_CACHED_BYTES=150000 -- "${by_pread[@]}")"
expect "cached, the whole file: even its end is known" \
  "0 100000 0.000000 100000 100000 0.000000 200000 100000 0.000000 300000 0 0.000000" \
  "$(paced TARNVEL_SLOW_CACHED_BYTES=300000 -- "${by_dd[@]}")"
expect "read-ahead: the first paced read pays the round trip, the second not" \
  "0 100000 0.000000 100000 100000 0.060000 200000 100000 0.100000 300000 0 0.010000" \
  "$(paced TARNVEL_SLOW_CACHED_BYTES=150000 TARNVEL_SLOW_READ_AHEAD=1 -- "${by_dd[@]}")"

jittered() { paced TARNVEL_SLOW_JITTER_MS=5 "$@" -- "${by_dd[@]}"; }
seed_7=$(jittered TARNVEL_SLOW_SEED=7)
expect "jitter: the same seed draws the same round trips" "$seed_7" "$(jittered TARNVEL_SLOW_SEED=7)"
if [ "$seed_7" = "$(jittered TARNVEL_SLOW_SEED=8)" ]; then
  echo "FAIL jitter: seeds 7 and 8 drew the same round trips: $seed_7"
  failures=$((failures + 1))
fi
# 300 reads of 1000 bytes, 1 ms each at the rate; round trips of 2 ± 10 ms.
waits=$(paced TARNVEL_SLOW_ROUND_TRIP_MS=2 TARNVEL_SLOW_JITTER_MS=10 -- dd if="$file" bs=1000 status=none |
  tr ' ' '\n' | awk 'NR % 3 == 0')
expect "jitter: each within 10 ms of 2 ms, never below zero, and often clamped there" "0.001000 0.013000 clamped" \
  "$(awk '$1 < 0.001 || $1 > 0.013 { print "out of bounds: " $1; exit 1 } $1 == 0.001 { zero++ } $1 > 0.012 { top++ }
     END { if (zero > 30 && top > 0) print "0.001000 0.013000 clamped"; else print zero " at zero, " top " near the top" }' \
     <<<"$waits")"

# The waits are slept: 150,000 paced bytes and 3 round trips take at least 0.18 s, and well
# under the 0.34 s of the uncached file.
start=$EPOCHREALTIME
LD_PRELOAD=$library TARNVEL_SLOW_FILE=$file TARNVEL_SLOW_BYTES_PER_SECOND=1000000 TARNVEL_SLOW_ROUND_TRIP_MS=10 \
  TARNVEL_SLOW_CACHED_BYTES=150000 "${by_dd[@]}" of=/dev/null
took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
expect "cached, timed: 0.18 s to 0.3 s" yes "$(awk -v t="$took" 'BEGIN { print (t >= 0.18 && t < 0.3) ? "yes" : t " s" }')"

[ "$failures" = 0 ] || { echo "$failures failed"; exit 1; }
