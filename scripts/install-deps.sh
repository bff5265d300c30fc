#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only if missing.
# Usage: install-deps.sh [EXTRA_PACKAGE...]
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev g++-mingw-w64-x86-64-posix
          python3 wine wine64 fonts-wine xvfb xauth fonts-ipafont-gothic osslsigncode "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); elif command -v sudo >/dev/null; then sudo=(sudo); else
  echo "Please install these Debian packages as root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
