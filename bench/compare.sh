#!/usr/bin/env bash
# Times the engine against head -c and dd bs=4M on one page-cached source of
# the largest size a cut accepts, in paired rounds, and checks that a cut of
# the whole source costs no more than its share of bytes over a 1 GB cut. dd
# copies the whole source too: the page cache's own growth, to set beside it.
# Usage: bench/compare.sh [ROUNDS] [WORKDIR]   (default 3 and /tmp/tarnvel-bench;
# needs about 4.5 GB free there; the 2 GB source stays for the next run)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
rounds=${1:-3}
work=${2:-/tmp/tarnvel-bench}
mkdir -p "$work"
cmake --preset native >/dev/null
cmake --build --preset native --target tarnvel-bench >/dev/null
bench=$PWD/build/native/bench/tarnvel-bench

src=$work/source-max.bin
source_bytes=2147483647
max_blocks=$((source_bytes / 1000))
if [ "$(stat -c %s "$src" 2>/dev/null || echo 0)" != "$source_bytes" ]; then
  head -c "$source_bytes" /dev/urandom > "$src.part"
  mv "$src.part" "$src"
fi
cat "$src" > /dev/null  # into the page cache

outputs=("$work/engine.out" "$work/head.out" "$work/dd.out" "$work/engine-max.out" "$work/dd-max.out")
trap 'rm -f "${outputs[@]}" "$work/peak"' EXIT

# measure NAME COMMAND...: wall seconds into seconds[NAME], peak KiB into peak[NAME].
declare -A seconds peak
measure() {
  local name=$1 start
  shift
  rm -f "${outputs[@]}"
  sync  # no run pays for the writeback of the one before
  start=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null
  seconds[$name]=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
  peak[$name]=$(<"$work/peak")
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
same_head() {  # OUTPUT BYTES: the output is exactly the first BYTES of the source
  if [ "$(stat -c %s "$1")" != "$2" ] || ! cmp -s -n "$2" "$1" "$src"; then
    echo "$(basename "$1") is not the first $2 bytes of the source" >&2
    exit 1
  fi
}

rows=() by_head=() by_dd=() growth=() dd_growth=()
for round in $(seq "$rounds"); do
  measure engine "$bench" "$src" "$work/engine.out" 1000000
  same_head "$work/engine.out" 1000000000
  measure head sh -c 'head -c 1000000000 "$1" > "$2"' _ "$src" "$work/head.out"
  same_head "$work/head.out" 1000000000
  measure dd dd if="$src" of="$work/dd.out" bs=4M count=1000000000 iflag=count_bytes status=none
  same_head "$work/dd.out" 1000000000
  measure max "$bench" "$src" "$work/engine-max.out" "$max_blocks"
  same_head "$work/engine-max.out" $((max_blocks * 1000))
  measure ddmax dd if="$src" of="$work/dd-max.out" bs=4M count=$((max_blocks * 1000)) iflag=count_bytes status=none
  same_head "$work/dd-max.out" $((max_blocks * 1000))

  by_head+=("$(ratio "${seconds[engine]}" "${seconds[head]}")")
  by_dd+=("$(ratio "${seconds[engine]}" "${seconds[dd]}")")
  growth+=("$(ratio "${seconds[max]}" "${seconds[engine]}")")
  dd_growth+=("$(ratio "${seconds[ddmax]}" "${seconds[dd]}")")
  rows+=("$(printf '%5s %8s %8s %8s %8s %8s %7s %7s %7s %7s %9s %9s %9s' "$round" "${seconds[engine]}" \
    "${seconds[head]}" "${seconds[dd]}" "${seconds[max]}" "${seconds[ddmax]}" "${by_head[-1]}" "${by_dd[-1]}" \
    "${growth[-1]}" "${dd_growth[-1]}" "${peak[engine]}" "${peak[head]}" "${peak[dd]}")")
  echo "${rows[-1]}"
done

echo
printf '%5s %8s %8s %8s %8s %8s %7s %7s %7s %7s %9s %9s %9s\n' round engine_s head_s dd_s max_s ddmax_s /head /dd \
  max/1GB dd:2/1 engine_KiB head_KiB dd_KiB
printf '%s\n' "${rows[@]}"
echo "engine, head, dd: 1000000000 bytes; max, ddmax: the engine's cut and dd's copy of $max_blocks blocks ($((max_blocks * 1000)) bytes)"
echo "median engine/head -c:   $(median "${by_head[@]}")"
echo "median engine/dd bs=4M:  $(median "${by_dd[@]}")"
growth_median=$(median "${growth[@]}")
verdict=$(awk -v g="$growth_median" 'BEGIN { print (g <= 2.15 ? "within" : "above") }')
echo "median max/1GB:          $growth_median   ($verdict the $(ratio "$max_blocks" 1000000) of linear growth)"
echo "median ddmax/dd:         $(median "${dd_growth[@]}")   (the same growth for dd on this machine)"
