#!/usr/bin/env bash
# Prepares the Wine prefix once: boots it, maps the Japanese fonts the
# windows ask for onto IPA Gothic and sets the screen's DPI. Safe to run
# again; it then only adds what an older prefix lacks.
# Usage: setup-wine-prefix.sh [DPI]   (default 96; give each DPI its own prefix)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
dpi=${1:-96}
stamp="$WINEPREFIX/.tarnvel-ready-$dpi"

# A second letter for C:\, as SUBST makes one on Windows; Wine 8 accepts
# DefineDosDeviceW but opens no file through the letter it defines.
second_letter() {
  [ -L "$WINEPREFIX/dosdevices/t:" ] || ln -s ../drive_c "$WINEPREFIX/dosdevices/t:"
}
# Wine draws caption buttons, scroll arrows and menu check marks as glyphs
# of Marlett, as Windows does. Debian's fonts-wine ships the font, but Wine 8
# only reads windows\Fonts and fontconfig's folders, so without this copy a
# fallback font draws the glyphs' letters: an "r" for the close button.
symbol_font() {
  local font=/usr/share/wine/fonts/marlett.ttf fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -f "$fonts/marlett.ttf" ] && return 0
  if [ ! -f "$font" ]; then
    echo "setup-wine-prefix.sh: no $font (Debian package fonts-wine); caption buttons will show letters" >&2
    return 0
  fi
  mkdir -p "$fonts"
  cp "$font" "$fonts/"
}
if [ -f "$stamp" ]; then
  second_letter
  symbol_font
  exit 0
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "setup-wine-prefix.sh needs an X display (run it under xvfb-run -a)" >&2
  exit 1
fi

mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"MS Shell Dlg"="IPAGothic"\r\n"MS Shell Dlg 2"="IPAGothic"\r\n"Tahoma"="IPAGothic"\r\n\r\n[HKEY_CURRENT_CONFIG\\Software\\Fonts]\r\n"LogPixels"=dword:%08x\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$dpi" "$dpi" \
  | iconv -f utf-8 -t utf-16 > "$reg"
wine regedit "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w
second_letter
symbol_font
touch "$stamp"
