#!/usr/bin/env bash
# Checks that the loader finds an image's load configuration and that it asks
# for the image's own imports to be resolved from the system folder only
# (DependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32, read by Windows 10 1607
# and later). Nothing under Wine reads the field, so only this sees it lost.
#
#   scripts/check-load-config.sh EXE
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

headers=$("$objdump" -p "$exe")
base=$(awk '/^ImageBase/ { print $2 }' <<<"$headers")
read -r rva size < <(awk '/^Entry a / { print $3, $4 }' <<<"$headers")
if (( 16#$rva == 0 )); then
  echo "check-load-config: $exe has no load configuration directory" >&2
  exit 1
fi
# Size, then DependentLoadFlags: a WORD at offset 0x4E.
at=$(( 16#$base + 16#$rva ))
read_bytes() {  # offset count: the bytes there, as hex in file order
  "$objdump" -s --start-address=$(( at + $1 )) --stop-address=$(( at + $1 + $2 )) "$exe" |
    awk '/^ [0-9a-f]+ / { printf "%s", $2 }'
}
declared=$(read_bytes 0 4) flags=$(read_bytes 0x4E 2)
if (( 16#$size < 0x50 )) || [ "$declared" != "$(printf '%02x000000' $(( 16#$size )))" ]; then
  echo "check-load-config: directory size $size, structure's own size (bytes) $declared" >&2
  exit 1
fi
if [ "$flags" != 0008 ]; then
  echo "check-load-config: DependentLoadFlags bytes are $flags, not 00 08 (LOAD_LIBRARY_SEARCH_SYSTEM32)" >&2
  exit 1
fi
echo "check-load-config: $exe resolves its imports from the system folder only (DependentLoadFlags 0x800)"
