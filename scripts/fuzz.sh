#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz and runs each for SECONDS
# (default 30). New inputs collect in build/fuzz/corpus, beside the committed
# seeds rather than among them; a failing input is kept in build/fuzz/crashes.
# Usage: fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-30}
scripts/install-deps.sh clang-14 libclang-rt-14-dev

out=build/fuzz
mkdir -p "$out/crashes"
quiet() {  # quiet LOG COMMAND...: the command's output only when it fails
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { cat "$log"; return 1; }
}
quiet "$out/configure.log" cmake -S tests/fuzz -B "$out" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14
quiet "$out/build.log" cmake --build "$out"

status=0
for target in size_text_fuzz extension_fuzz; do
  seeds=tests/fuzz/corpus/${target%_fuzz}
  work=$out/corpus/${target%_fuzz}
  log=$out/$target.log
  mkdir -p "$work"
  if "$out/$target" -max_total_time="$seconds" -artifact_prefix="$out/crashes/$target-" \
       "$work" "$seeds" >"$log" 2>&1; then
    sed -n "s/^Done \([0-9]*\) runs in \([0-9]*\) second.*/$target: \1 runs in \2 s/p" "$log"
  else
    # The check's own words and the sanitizer's verdict; the stacks stay in the log.
    grep -E "^($target: |  [a-z])|runtime error|ERROR:|SUMMARY:|Test unit written" "$log" | cut -c1-300 | head -n 20 || true
    echo "$target: FAILED (log: $log, input: $out/crashes/)"
    status=1
  fi
done
exit "$status"
