#!/usr/bin/env bash
# Runs part of the end-to-end suite with drive C: of the Wine prefix made to
# behave as on a Windows machine where Wine-as-root would not:
#   full-disk          C:\ is a tmpfs with 16 MB free (C:\windows and the
#                      other folders stay on the real disk through symlinks)
#   root-not-writable  C:\ cannot be written, as for a standard user; the
#                      suite and its wineserver run without root's permission
#                      override. C:\tarnvel.old is an existing, writable output.
#   planted-dlls       the names in tests/e2e/planted_dlls.txt are native first,
#                      so Wine looks for them beside the program before its own
#                      builtins, as Windows does for any DLL that is no KnownDLL.
#   slow-drive         C:\tarnvel-slow-drive\source.mpg reads at 3 MB/s, as from
#                      a NAS over Wi-Fi or a USB 2.0 disk, through the preload
#                      library of tests/slow_drive; the suite writes its contents.
#   far-share          the same file at 10 MB/s, each read first waiting a 20 ms
#                      round trip, as from an SMB share across a WAN or a VPN.
#   cached-far-share   a far share 20 to 50 ms away (35 ms, each read's drawn
#                      within 15 ms of it) at 10 MB/s, with the first 100 KB
#                      in the client's cache, as when a cut is made again.
#   cached-slow-drive  the 3 MB/s drive with its first 20 MiB in the cache.
# The suite learns the configuration from TARNVEL_E2E_CONFIG and runs only the
# suites named after it. The prefix is put back afterwards, also after a
# failure or a signal, and before starting in case an earlier run was killed.
# Usage: e2e-config.sh CONFIG TARNVEL_E2E_EXE TARNVEL_EXE [gtest options]
# Exits 77 (ctest's skip) where it cannot work: not root, or no mount (the
# first two); no C compiler (the slow drive's four).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

if [ $# -lt 3 ]; then
  echo "usage: $0 full-disk|root-not-writable|planted-dlls|slow-drive|far-share|cached-far-share|cached-slow-drive TARNVEL_E2E_EXE TARNVEL_EXE [gtest options]" >&2
  exit 2
fi
config=$1 suite_exe=$2 tarnvel_exe=$3
shift 3
case $config in
  full-disk) suites='FullDisk*' ;;
  root-not-writable) suites='RootNotWritable*' ;;
  planted-dlls) suites='PlantedDlls*' ;;
  slow-drive) suites='SlowDrive*' ;;
  far-share) suites='FarShare*' ;;
  cached-far-share) suites='CachedFarShare*' ;;
  cached-slow-drive) suites='CachedSlowDrive*' ;;
  *) echo "unknown configuration: $config" >&2; exit 2 ;;
esac

if [[ $config != planted-dlls && $config != *slow-drive && $config != *far-share ]] && [ "$(id -u)" != 0 ]; then
  echo "SKIP: $config needs root (it mounts a tmpfs and drops root's capabilities)" >&2
  exit 77
fi

drive_c=$WINEPREFIX/drive_c
small_c=$WINEPREFIX.full-disk           # the tmpfs that stands in for C:
slow_folder=$drive_c/tarnvel-slow-drive  # the slow drive's one file lies here
outside_c=$WINEPREFIX.outside-c         # sources too large for the small C:
mode_file=$WINEPREFIX.drive_c-mode
free_kib=16384
# Below ctest's TIMEOUT, so a hung suite still leaves time to restore.
suite_timeout=${TARNVEL_E2E_CONFIG_TIMEOUT:-240}
# The override lets root ignore file modes; the other two would let it read
# anything or chmod a file it does not own.
reduced_caps=-dac_override,-dac_read_search,-fowner

"$here/setup-wine-prefix.sh" "${TARNVEL_DPI:-96}"

# The running wineserver of this prefix; it sits in a folder named after the
# prefix's device and inode.
wineserver_pid() {
  local device inode dir pid
  read -r device inode < <(stat -c '%d %i' "$WINEPREFIX")
  dir=$(printf 'server-%x-%x' "$device" "$inode")
  for pid in $(pgrep -x wineserver64; pgrep -x wineserver); do
    [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */"$dir" ]] && { echo "$pid"; return 0; }
  done
  return 1
}

stop_wineserver() {
  wineserver -k 2>/dev/null || true
  for _ in $(seq 100); do wineserver_pid >/dev/null || return 0; sleep 0.1; done
  echo "the wineserver of $WINEPREFIX did not stop" >&2
  return 1
}

restore() {
  stop_wineserver || true
  ln -sfn ../drive_c "$WINEPREFIX/dosdevices/c:"
  if [ -f "$mode_file" ]; then
    chmod "$(cat "$mode_file")" "$drive_c"
    rm -f "$drive_c/tarnvel.old" "$mode_file"
    # The suite could not remove its emptied scratch folder from the root.
    rmdir "$drive_c/tarnvel-e2e" 2>/dev/null || true
  fi
  rm -rf "$slow_folder"
  if mountpoint -q "$small_c"; then umount "$small_c" || umount -l "$small_c"; fi
  rm -rf "$small_c" "$outside_c"
}

prepare_full_disk() {
  mkdir -p "$small_c" "$outside_c"
  if ! mount -t tmpfs -o "size=${free_kib}k,mode=755" tarnvel-full-disk "$small_c"; then
    echo "SKIP: cannot mount a tmpfs here" >&2
    exit 77
  fi
  local entry
  for entry in "$drive_c"/*; do
    case ${entry##*/} in tarnvel*) continue ;; esac
    ln -s "$entry" "$small_c/"
  done
  ln -sfn "$small_c" "$WINEPREFIX/dosdevices/c:"
  export TARNVEL_E2E_OUTSIDE_C=$outside_c
}

prepare_root_not_writable() {
  mkdir -p "$drive_c/tarnvel-e2e"
  printf 'earlier output\n' > "$drive_c/tarnvel.old"
  chmod 644 "$drive_c/tarnvel.old"
  stat -c %a "$drive_c" > "$mode_file"
  chmod a-w "$drive_c"
  run_reduced=(setpriv "--bounding-set=$reduced_caps" --)
  # Started here, under the reduced set, so every open the suite makes goes
  # through a server that cannot override file modes.
  "${run_reduced[@]}" wineserver -p 30
  local pid caps
  for _ in $(seq 50); do pid=$(wineserver_pid) && break; sleep 0.1; done
  if [ -z "${pid:-}" ]; then echo "no wineserver started for $WINEPREFIX" >&2; exit 1; fi
  caps=$(awk '/^CapEff:/ { print $2 }' "/proc/$pid/status")
  # CAP_DAC_OVERRIDE is bit 1, CAP_DAC_READ_SEARCH bit 2, CAP_FOWNER bit 3.
  if (( (16#$caps & 16#e) != 0 )); then
    echo "the wineserver ($pid) still overrides file modes: CapEff $caps" >&2
    exit 1
  fi
  echo "wineserver $pid runs with CapEff $caps"
}

prepare_planted_dlls() {
  local names
  names=$(grep -v '^#' "$here/../tests/e2e/planted_dlls.txt" | sed 's/\.dll$//' | paste -sd, -)
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$names=n,b"
  echo "native first: $names"
}

# paced_source BYTES_PER_SECOND ROUND_TRIP_MS [CACHED_BYTES [JITTER_MS]]
paced_source() {
  if ! command -v cc >/dev/null; then echo "SKIP: no C compiler for the preload library" >&2; exit 77; fi
  local library
  library=$("$here/build-slow-read.sh" "$here/../build/slow-drive")
  mkdir -p "$slow_folder"
  # Made now, so the library knows it from Wine's first read on.
  : > "$slow_folder/source.mpg"
  export LD_PRELOAD=$library TARNVEL_SLOW_FILE=$slow_folder/source.mpg TARNVEL_SLOW_BYTES_PER_SECOND=$1 \
    TARNVEL_SLOW_ROUND_TRIP_MS=$2
  echo "slow drive: $TARNVEL_SLOW_FILE at $1 bytes/s, $2 ms before each read"
  if [ $# -gt 2 ]; then
    export TARNVEL_SLOW_CACHED_BYTES=$3
    echo "the first $3 bytes in the cache"
  fi
  if [ $# -gt 3 ]; then
    # A seed of its own, so that a failure can be run again draw for draw.
    export TARNVEL_SLOW_JITTER_MS=$4 TARNVEL_SLOW_SEED=${TARNVEL_SLOW_SEED:-1}
    echo "each round trip within $4 ms of $2 ms, seed $TARNVEL_SLOW_SEED"
  fi
}
prepare_slow_drive() { paced_source 3000000 0; }
prepare_far_share() { paced_source 10000000 20; }
prepare_cached_far_share() { paced_source 10000000 35 100000 15; }
prepare_cached_slow_drive() { paced_source 3000000 0 20971520; }

suite=
# The suite runs in the background, so a signal is acted on at once rather
# than when the suite ends; the wineserver's end takes its programs along.
stop() {
  if [ -n "$suite" ]; then kill -TERM "$suite" 2>/dev/null || true; fi
  exit "$1"
}
trap restore EXIT
trap 'stop 130' INT
trap 'stop 143' TERM
started=$(date +%s%N)
restore
run_reduced=()
"prepare_${config//-/_}"
prepared=$(date +%s%N)

TARNVEL_E2E_CONFIG=$config timeout -k 10 "$suite_timeout" "${run_reduced[@]}" \
  wine "$suite_exe" "$tarnvel_exe" "--gtest_filter=$suites" "$@" &
suite=$!
status=0
wait "$suite" || status=$?
suite=
ran=$(date +%s%N)

restore
trap - EXIT
restored=$(date +%s%N)
awk -v c="$config" -v a="$started" -v b="$prepared" -v r="$ran" -v e="$restored" \
  'BEGIN { printf "%s: set-up %.1f s, tests %.1f s, restore %.1f s\n", c, (b - a) / 1e9, (r - b) / 1e9, (e - r) / 1e9 }'
exit "$status"
