#pragma once
// Starting Tarnvel again as administrator, carrying over the chosen source
// and the typed size.

#include <windows.h>

#include <string>

#include "tarnvel/elevation.h"
#include "tarnvel/file_io.h"
#include "tarnvel/start_options.h"

namespace tarnvel::ui {

// This process's token and the system's UAC policy, for rightsAdviceFor.
void readElevation(CreateFailureFacts& facts);

// An elevated process does not see the user's mapped network drives, so a
// source on one is passed by its network name.
std::u16string pathAnElevatedProcessSees(const std::u16string& path);

// Neither the user's SUBST drives nor their mapped drives exist for an
// elevated process: the file's final path (without \\?\ where it fits),
// a mapped drive then given by its network name.
std::u16string pathForElevatedProcess(const std::u16string& path);

// ERROR_CANCELLED when the user declines Windows' prompt.
SystemError restartElevated(HWND owner, const StartOptions& options);

}  // namespace tarnvel::ui
