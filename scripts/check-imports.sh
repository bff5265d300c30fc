#!/usr/bin/env bash
# Compares every function an executable imports with a reviewed allowlist.
# The loader refuses a program that imports anything its system lacks, before
# a line of it runs; Wine exports the newest calls whatever Windows it plays,
# so only this list keeps Tarnvel.exe loadable on Windows 7 SP1.
#
#   scripts/check-imports.sh EXE ALLOWLIST
#
# ALLOWLIST has one "dll function" a line (DLL lower-cased; "dll #N" for an
# import by ordinal); lines starting with # are comments. Lines "dll NAME why"
# name the DLLs that may be imported at all: a DLL outside them fails the
# check whatever its functions, since the loader may take it from the
# program's folder. An import missing from the list fails the check; entries
# no longer imported are only reported.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 EXE ALLOWLIST" >&2
  exit 2
fi
exe=$1 allowlist=$2
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

imported=$(mktemp) allowed=$(mktemp) dlls=$(mktemp)
trap 'rm -f "$imported" "$allowed" "$dlls"' EXIT

# objdump -p: a "DLL Name:" line opens each DLL, its functions follow as
# tab-indented "address hint name" rows, and a line not starting with a tab
# closes it.
"$objdump" -p "$exe" | awk '
  /^The Import Tables/ { inImports = 1; next }
  /^The / { inImports = 0 }
  !inImports { next }
  /^\tDLL Name: / { dll = tolower($3); next }
  !/^\t/ { dll = ""; next }
  dll != "" && $1 != "vma:" { print dll, ($3 == "<none>" ? "#" $2 : $3) }
' | LC_ALL=C sort -u >"$imported"

if [ ! -s "$imported" ]; then
  echo "check-imports: no imports read from $exe" >&2
  exit 1
fi

grep -v -e '^#' -e '^[[:space:]]*$' -e '^dll ' "$allowlist" | LC_ALL=C sort -u >"$allowed"
awk '$1 == "dll" { print $2 }' "$allowlist" | LC_ALL=C sort -u >"$dlls"

foreign=$(cut -d' ' -f1 "$imported" | LC_ALL=C sort -u | LC_ALL=C comm -23 - "$dlls")
if [ -n "$foreign" ]; then
  echo "check-imports: $exe imports DLLs outside the reviewed ones in $allowlist:" >&2
  echo "$foreign" | sed 's/^/  + /' >&2
  echo "A DLL that is no KnownDLL is looked for beside the program first; load it from the system folder at run time." >&2
  exit 1
fi

new=$(LC_ALL=C comm -23 "$imported" "$allowed")
unused=$(LC_ALL=C comm -13 "$imported" "$allowed")

if [ -n "$unused" ]; then
  echo "check-imports: in $allowlist but no longer imported (remove them):"
  echo "$unused" | sed 's/^/  /'
fi
if [ -n "$new" ]; then
  echo "check-imports: $exe imports what $allowlist does not allow:" >&2
  echo "$new" | sed 's/^/  + /' >&2
  echo "Check that each exists on Windows 7 SP1 x64 before adding it; otherwise look it up at run time." >&2
  exit 1
fi
echo "check-imports: $(wc -l <"$imported") imports of $exe, all allowed"
