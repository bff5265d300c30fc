#!/usr/bin/env bash
# Times a 1,000,000-block (1 GB) cut through the real window under Wine, from
# the press of 「Cut開始」 to the 「完了。」 box, against head -c and dd bs=4M
# copying the same gigabyte of the page-cached source in the same round, and
# reports how the window answered meanwhile.
# Usage: bench/real-cut.sh [ROUNDS]   (default 3; needs about 4 GB free in build/)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
rounds=${1:-3}
scripts/install-deps.sh

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$PWD/bench/real-cut.sh" "$@"
fi

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
src=$work/source.bin
head_out=$work/head.out
dd_out=$work/dd.out
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -f "$drive_c"/tarnvel.* "$head_out" "$dd_out"
}
trap cleanup EXIT

mkdir -p "$work"
# A little longer than the cut, so the program never meets the source's end.
if [ "$(stat -c %s "$src" 2>/dev/null || echo 0)" != 1000000500 ]; then
  head -c 1000000500 /dev/urandom > "$src.part"
  mv "$src.part" "$src"
fi
cat "$src" > /dev/null  # into the page cache

seconds() { local start=$EPOCHREALTIME; "$@"; awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'; }
field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

same_head() {  # OUTPUT: exactly the first 1000000000 bytes of the source; removed after, then synced
  if [ "$(stat -c %s "$1")" != 1000000000 ] || ! cmp -s -n 1000000000 "$1" "$src"; then
    echo "$1 is not the first 1000000000 bytes of the source" >&2
    exit 1
  fi
  rm -f "$1"
  sync
}

status=0
rows=() by_head=() by_dd=()
for round in $(seq "$rounds"); do
  rm -f "$drive_c"/tarnvel.* "$head_out" "$dd_out"
  sync  # no run writes behind another's dirty pages
  line=$(wine build/windows/bench/tarnvel-real-cut.exe "$PWD/build/windows/ui/Tarnvel.exe" 'C:\tarnvel-bench\source.bin' 1) \
    || status=$?
  echo "round $round: $line"
  [ -n "$line" ] || exit 2
  # Each copy is checked and removed before the next, so each starts as the cut did.
  same_head "$drive_c"/tarnvel.bin
  head_s=$(seconds sh -c 'head -c 1000000000 "$1" > "$2"' _ "$src" "$head_out")
  same_head "$head_out"
  dd_s=$(seconds dd if="$src" of="$dd_out" bs=4M count=1000000000 iflag=count_bytes status=none)
  same_head "$dd_out"
  cut_s=$(field cut_s "$line")
  by_head+=("$(ratio "$cut_s" "$head_s")")
  by_dd+=("$(ratio "$cut_s" "$dd_s")")
  rows+=("$(printf '%5s %8.3f %8.3f %8.3f %6s %6s %7s %8s %5s %7s %10s %17s' "$round" "$cut_s" "$head_s" "$dd_s" \
    "${by_head[-1]}" "${by_dd[-1]}" "$(field probes "$line")" "$(field max_answer_ms "$line")" \
    "$(field late "$line")" "$(field bar_samples "$line")" "$(field monotonic "$line")" \
    "$(field max_pos "$line")/$(field bound "$line")")")
done

echo
printf '%5s %8s %8s %8s %6s %6s %7s %8s %5s %7s %10s %17s\n' round cut_s head_s dd_s /head /dd probes max_ms late \
  samples monotonic max_pos/bound
printf '%s\n' "${rows[@]}"
echo "cut: press of Cut開始 to the 完了。 box; head -c and dd bs=4M copy the same 1000000000 bytes natively"
echo "late: WM_NULL answered after 100 ms or not at all"
echo "median cut/head -c:  $(median "${by_head[@]}")"
echo "median cut/dd bs=4M: $(median "${by_dd[@]}")"
exit "$status"
