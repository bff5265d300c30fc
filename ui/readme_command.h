#pragma once

#include <windows.h>

namespace tarnvel::ui {

// Opens readme.txt from the program's own folder in Notepad, without waiting.
void openReadme(HWND owner);

}  // namespace tarnvel::ui
