# Sourced: the Wine settings every script and test shares. The prefix lives
# in the build tree so a user's own ~/.wine is never touched.
tarnvel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${TARNVEL_WINEPREFIX:-$tarnvel_root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Wine converts file names through the locale's character set: under an
# ASCII one (a bare container's POSIX locale) no Japanese name can be made.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
  export LC_ALL=C.UTF-8
fi
