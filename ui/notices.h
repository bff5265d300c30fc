#pragma once

#include <windows.h>

#include <string>

#include "tarnvel/cut_types.h"

namespace tarnvel::ui {

void showNotice(HWND owner, const MessageNotice& notice);

}  // namespace tarnvel::ui
