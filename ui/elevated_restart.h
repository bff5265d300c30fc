#pragma once
// Starting Tarnvel again as administrator, carrying over the chosen source
// and the typed size.

#include <windows.h>

#include <string>

#include "tarnvel/file_io.h"
#include "tarnvel/start_options.h"

namespace tarnvel::ui {

bool processIsElevated();

// An elevated process does not see the user's mapped network drives, so a
// source on one is passed by its network name.
std::u16string pathAnElevatedProcessSees(const std::u16string& path);

// ERROR_CANCELLED when the user declines Windows' prompt.
SystemError restartElevated(HWND owner, const StartOptions& options);

}  // namespace tarnvel::ui
