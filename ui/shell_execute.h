#pragma once

#include <windows.h>

#include <string>

#include "tarnvel/file_io.h"

namespace tarnvel::ui {

// ShellExecuteExW, finished before it returns (the caller may be about to
// close), with the system's error code; kNoError when it started.
SystemError shellExecute(HWND owner, const wchar_t* verb, const std::wstring& file, const std::wstring& parameters,
                         int show);

}  // namespace tarnvel::ui
