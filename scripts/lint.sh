#!/usr/bin/env bash
# Static checks on our own code: formatting, cppcheck and clang-tidy, for
# the native build and for the Windows build (with MinGW's headers); and the
# GitHub workflow against GitHub's schema.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh clang-format clang-tidy cppcheck

scripts/check-workflows.sh

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
echo "clang-format: ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

echo "cppcheck: core ui"
cppcheck --quiet --enable=warning,style,performance,portability --std=c++20 --language=c++ \
  --error-exitcode=1 --inline-suppr --suppress=missingIncludeSystem --suppress=missingInclude \
  -I core/include -I ui core ui

tidy() {  # compile-database-folder file-regex [extra clang arguments...]
  local database=$1 files=$2 log
  shift 2
  log=$(mktemp)
  if ! run-clang-tidy -quiet -p "$database" -j "$(nproc)" "${@/#/-extra-arg=}" "$files" >"$log" 2>&1; then
    grep -E -A3 'error:|warning:' "$log" || cat "$log"
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

echo "clang-tidy: core (native)"
cmake --preset native >/dev/null
tidy build/native "$PWD/core/src/.*\.cpp$"

echo "clang-tidy: core and ui (Windows)"
cmake --preset windows-cross >/dev/null
# Clang finds MinGW's C headers by itself but not the C++ ones of Debian's
# versioned "12-posix" folder.
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
tidy build/windows "$PWD/(core/src|ui)/.*\.cpp$" \
  "-isystem$gcc_dir/include/c++" "-isystem$gcc_dir/include/c++/x86_64-w64-mingw32"
echo "static checks: clean"
