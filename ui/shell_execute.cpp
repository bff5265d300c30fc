#include "shell_execute.h"

#include <shellapi.h>

#include "win32_owners.h"

namespace tarnvel::ui {

SystemError shellExecute(HWND owner, const wchar_t* verb, const std::wstring& file, const std::wstring& parameters,
                         int show) {
    // Handlers that ShellExecuteExW hands a file to may be COM objects.
    const ComApartment apartment = enterComApartment();
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.hwnd = owner;
    execute.lpVerb = verb;
    execute.lpFile = file.c_str();
    execute.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    execute.nShow = show;
    return ShellExecuteExW(&execute) ? kNoError : GetLastError();
}

}  // namespace tarnvel::ui
