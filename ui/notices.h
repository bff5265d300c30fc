#pragma once

#include <windows.h>

#include <string>

#include "tarnvel/cut_types.h"

namespace tarnvel::ui {

void showNotice(HWND owner, const MessageNotice& notice);

// The system's own words for GetLastError(), with its number.
std::u16string lastErrorReason();

}  // namespace tarnvel::ui
