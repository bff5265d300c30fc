#include "shell_execute.h"

#include <objbase.h>
#include <shellapi.h>

namespace tarnvel::ui {

namespace {

// Handlers that ShellExecuteExW hands a file to may be COM objects.
class ComApartment {
public:
    ComApartment()
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

}  // namespace

SystemError shellExecute(HWND owner, const wchar_t* verb, const std::wstring& file, const std::wstring& parameters,
                         int show) {
    const ComApartment apartment;
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
