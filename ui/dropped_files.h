#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

namespace tarnvel::ui {

// The first file of a WM_DROPFILES, if it has one.
std::optional<std::wstring> firstDroppedFile(HDROP drop);

// Lets a non-elevated Explorer drop onto the window when the program runs as
// administrator, which writing to C:\ often needs.
void acceptDroppedFiles(HWND window);

}  // namespace tarnvel::ui
