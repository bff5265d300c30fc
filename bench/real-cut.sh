#!/usr/bin/env bash
# Times a cut through the real window under Wine, from the press of 「Cut開始」
# to the 「完了。」 box, against head -c, dd bs=4M and cp copying the same bytes
# of the page-cached source in the same round, and reports how the window
# answered meanwhile.
# Usage: bench/real-cut.sh [--blocks N] [--slow BYTES_PER_SECOND [--cached BYTES]
#                          [--round-trip MS [--jitter MS] [--read-ahead]]] [ROUNDS]
#   --blocks:     the cut's size (default 1000000, 1 GB; needs about 5 x its bytes free in build/)
#   --slow:       every read of the source, by the program and by the native copies
#                 alike, is paced to this rate (tests/slow_drive/slow_read.c)
#   --round-trip: and first waits this long, as on a far share. head -c, which
#                 reads 8 KB at a time, is then left out: it would pay 122 round
#                 trips a megabyte.
#   --cached:     the first BYTES of the source read at once, as from a cache
#   --jitter:     each round trip drawn within MS of --round-trip, from the seed
#                 TARNVEL_SLOW_SEED (0 when unset), the same for every copy
#   --read-ahead: every other read pays no round trip, as a client reading ahead
#   ROUNDS:   default 3
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$PWD/bench/real-cut.sh" "$@"
fi
blocks=1000000 slow="" round_trip=0 cached=0 jitter=0 read_ahead=0
while [ $# -gt 0 ]; do
  case $1 in
    --blocks) blocks=$2; shift 2 ;;
    --slow) slow=$2; shift 2 ;;
    --round-trip) round_trip=$2; shift 2 ;;
    --cached) cached=$2; shift 2 ;;
    --jitter) jitter=$2; shift 2 ;;
    --read-ahead) read_ahead=1; shift ;;
    *) break ;;
  esac
done
rounds=${1:-3}
# A far share's reads are four round trips long, up to 250 ms: each holds the
# window that long by design.
late_ms=100
[ "$round_trip" = 0 ] || late_ms=250
bytes=$((blocks * 1000))
if [ "$round_trip" != 0 ] || [ "$cached" != 0 ]; then
  if [ -z "$slow" ]; then
    echo "--round-trip and --cached pace reads together with --slow" >&2
    exit 2
  fi
fi
if { [ "$jitter" != 0 ] || [ "$read_ahead" = 1 ]; } && [ "$round_trip" = 0 ]; then
  echo "--jitter and --read-ahead vary the round trip of --round-trip" >&2
  exit 2
fi
scripts/install-deps.sh

# A prefix of its own: killing its server or clearing its C:\tarnvel.* cannot
# disturb a test suite running in the shared one.
export TARNVEL_WINEPREFIX=${TARNVEL_WINEPREFIX:-$PWD/build/wineprefix-bench}
source scripts/wine-env.sh
wineserver -k 2>/dev/null || true

cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross --target Tarnvel tarnvel-real-cut
scripts/setup-wine-prefix.sh

drive_c=$WINEPREFIX/drive_c
work=$drive_c/tarnvel-bench
src_name=source-$blocks.bin
src=$work/$src_name
head_out=$work/head.out
dd_out=$work/dd.out
cp_out=$work/cp.out
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -f "$drive_c"/tarnvel.* "$head_out" "$dd_out" "$cp_out"
}
trap cleanup EXIT

mkdir -p "$work"
# A little longer than the cut, so the program never meets the source's end;
# cp copies those 500 bytes too.
if [ "$(stat -c %s "$src" 2>/dev/null || echo 0)" != $((bytes + 500)) ]; then
  head -c $((bytes + 500)) /dev/urandom > "$src.part"
  mv "$src.part" "$src"
fi
cat "$src" > /dev/null  # into the page cache

# slowly COMMAND...: runs it with the source's reads paced, when --slow asks for it.
slowly() { "$@"; }
if [ -n "$slow" ]; then
  slow_library=$(scripts/build-slow-read.sh "$PWD/build/slow-drive")
  slowly() {
    LD_PRELOAD=$slow_library TARNVEL_SLOW_FILE=$src TARNVEL_SLOW_BYTES_PER_SECOND=$slow \
      TARNVEL_SLOW_ROUND_TRIP_MS=$round_trip TARNVEL_SLOW_CACHED_BYTES=$cached TARNVEL_SLOW_JITTER_MS=$jitter \
      TARNVEL_SLOW_READ_AHEAD=$read_ahead "$@"
  }
  # What the same bytes take in reads of 4,096,000 bytes, the copy's largest:
  # those that end within the cache are free, the others pay a round trip
  # (every other one with read-ahead; on average more than --round-trip when
  # jitter would draw some below zero) and their bytes beyond the cache.
  large_reads_s=$(awk -v b="$bytes" -v r="$slow" -v t="$round_trip" -v c="$cached" -v j="$jitter" -v a="$read_ahead" '
    BEGIN {
      m = j <= t ? t : (t + j) * (t + j) / (4 * j)
      for (at = 0; at < b; at += 4096000) {
        end = at + 4096000 < b ? at + 4096000 : b
        if (end <= c) continue
        if (!a || n++ % 2 == 0) ms += m
        ms += (end - (at > c ? at : c)) / r * 1000
      }
      printf "%.3f", ms / 1000
    }')
fi

seconds() { local start=$EPOCHREALTIME; "$@"; awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'; }
field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }
three() { if [ "$1" = - ]; then echo -; else printf %.3f "$1"; fi; }
ratio() { if [ "$2" = - ]; then echo -; else awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; fi; }
median() { printf '%s\n' "$@" | grep -v '^-$' | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

same_head() {  # OUTPUT [BYTES]: exactly the first BYTES (the cut's) of the source; removed after, then synced
  local want=${2:-$bytes}
  if [ "$(stat -c %s "$1")" != "$want" ] || ! cmp -s -n "$want" "$1" "$src"; then
    echo "$1 is not the first $want bytes of the source" >&2
    exit 1
  fi
  rm -f "$1"
  sync
}

status=0
rows=() by_head=() by_dd=() by_cp=()
for round in $(seq "$rounds"); do
  rm -f "$drive_c"/tarnvel.* "$head_out" "$dd_out" "$cp_out"
  sync  # no run writes behind another's dirty pages
  line=$(slowly wine build/windows/bench/tarnvel-real-cut.exe "$PWD/build/windows/ui/Tarnvel.exe" \
    "C:\\tarnvel-bench\\$src_name" 1 "$blocks" "$late_ms") || status=$?
  echo "round $round: $line"
  [ -n "$line" ] || exit 2
  # Each copy is checked and removed before the next, so each starts as the cut did.
  same_head "$drive_c"/tarnvel.bin
  if [ "$round_trip" = 0 ]; then
    head_s=$(seconds slowly sh -c 'head -c "$3" "$1" > "$2"' _ "$src" "$head_out" "$bytes")
    same_head "$head_out"
  else
    head_s=-
  fi
  dd_s=$(seconds slowly dd if="$src" of="$dd_out" bs=4M count="$bytes" iflag=count_bytes status=none)
  same_head "$dd_out"
  cp_s=$(seconds slowly cp "$src" "$cp_out")
  same_head "$cp_out" $((bytes + 500))
  cut_s=$(field cut_s "$line")
  by_head+=("$(ratio "$cut_s" "$head_s")")
  by_dd+=("$(ratio "$cut_s" "$dd_s")")
  by_cp+=("$(ratio "$cut_s" "$cp_s")")
  rows+=("$(printf '%5s %8.3f %8s %8.3f %8.3f %6s %6s %6s %7s %8s %8s %5s %7s %10s %17s' "$round" "$cut_s" "$(three "$head_s")" \
    "$dd_s" "$cp_s" "${by_head[-1]}" "${by_dd[-1]}" "${by_cp[-1]}" "$(field probes "$line")" \
    "$(field max_answer_ms "$line")" "$(field p99_answer_ms "$line")" "$(field late "$line")" \
    "$(field bar_samples "$line")" "$(field monotonic "$line")" "$(field max_pos "$line")/$(field bound "$line")")")
done

echo
printf '%5s %8s %8s %8s %8s %6s %6s %6s %7s %8s %8s %5s %7s %10s %17s\n' round cut_s head_s dd_s cp_s /head /dd /cp \
  probes max_ms p99_ms late samples monotonic max_pos/bound
printf '%s\n' "${rows[@]}"
echo "cut: press of Cut開始 to the 完了。 box; head -c, dd bs=4M and cp copy the same $bytes bytes natively"
if [ -n "$slow" ]; then
  echo "every read of the source paced to $slow bytes/s after a round trip of $round_trip ms" \
    "(cp's too, where it reads rather than copies in the kernel)"
  [ "$cached" = 0 ] || echo "but the first $cached bytes read at once, as from a cache"
  [ "$jitter" = 0 ] || echo "each round trip drawn within $jitter ms of $round_trip ms, seed ${TARNVEL_SLOW_SEED:-0}"
  [ "$read_ahead" = 0 ] || echo "every other read pays no round trip, as with read-ahead"
  echo "in reads of 4,096,000 bytes through the same pacing: $large_reads_s s"
fi
echo "late: WM_NULL answered after $late_ms ms or not at all"
[ "$round_trip" != 0 ] || echo "median cut/head -c:  $(median "${by_head[@]}")"
echo "median cut/dd bs=4M: $(median "${by_dd[@]}")"
echo "median cut/cp:       $(median "${by_cp[@]}")"
exit "$status"
