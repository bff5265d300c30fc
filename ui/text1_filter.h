#pragma once

#include <windows.h>

namespace tarnvel::ui {

// Typed characters other than digits, Backspace and Enter never reach the
// size field, control characters included (so Ctrl+V and friends do nothing).
// Pasting from the context menu is not typing and is left alone.
bool Text1_KeyPress(wchar_t typed);

void attachText1Filter(HWND text1);

}  // namespace tarnvel::ui
