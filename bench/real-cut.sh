#!/usr/bin/env bash
# Times a 1,000,000-block (1 GB) cut through the real window under Wine, from
# the press of 「Cut開始」 to the 「完了。」 box, against head -c on the same
# page-cached source, and reports how the window answered meanwhile.
# Usage: bench/real-cut.sh [ROUNDS]   (default 3; needs about 3 GB free in build/)
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
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -f "$drive_c"/tarnvel.* "$head_out"
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

status=0
rows=()
for round in $(seq "$rounds"); do
  rm -f "$drive_c"/tarnvel.* "$head_out"
  sync  # neither run writes behind the other's dirty pages
  head_s=$(seconds sh -c 'head -c 1000000000 "$1" > "$2"' _ "$src" "$head_out")
  sync
  line=$(wine build/windows/bench/tarnvel-real-cut.exe "$PWD/build/windows/ui/Tarnvel.exe" 'C:\tarnvel-bench\source.bin' 1) \
    || status=$?
  echo "round $round: $line"
  [ -n "$line" ] || exit 2
  cmp "$drive_c"/tarnvel.bin "$head_out"
  cut_s=$(field cut_s "$line")
  rows+=("$(printf '%5s %8.3f %8.3f %6.2f %7s %8s %5s %7s %10s %17s' "$round" "$cut_s" "$head_s" \
    "$(awk -v a="$cut_s" -v b="$head_s" 'BEGIN { print a / b }')" "$(field probes "$line")" "$(field max_answer_ms "$line")" \
    "$(field late "$line")" "$(field bar_samples "$line")" "$(field monotonic "$line")" \
    "$(field max_pos "$line")/$(field bound "$line")")")
done

echo
printf '%5s %8s %8s %6s %7s %8s %5s %7s %10s %17s\n' round cut_s head_s ratio probes max_ms late samples monotonic max_pos/bound
printf '%s\n' "${rows[@]}"
echo "cut: press of Cut開始 to the 完了。 box; late: WM_NULL answered after 100 ms or not at all"
exit "$status"
