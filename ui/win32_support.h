#pragma once
// What the two windows share: UTF-16 conversions, the current-folder guard,
// the program icon, the window class and procedure. The handles they own are
// in win32_owners.h.

#include <windows.h>

#include <string>
#include <string_view>

#include "dpi.h"
#include "win32_owners.h"

namespace tarnvel::ui {

// UTF-16 on both sides: char16_t in the core, wchar_t in Win32.
inline std::wstring wide(std::u16string_view text) { return {text.begin(), text.end()}; }
inline std::u16string utf16(std::wstring_view text) { return {text.begin(), text.end()}; }

std::wstring windowText(HWND window);
// The full path of Tarnvel.exe itself, however long.
std::wstring modulePath();

// Size in hundredths of a point, so 9.75 pt stays exact. None if it cannot be made.
UniqueFont createFont(const wchar_t* face, int centiPoints, UINT dpi);

// Puts the process back in the folder it was in when the guard was made.
// GetOpenFileNameW moves it into the chosen file's folder whatever
// OFN_NOCHANGEDIR says, and Windows keeps that folder open (a card cannot be
// ejected, the folder not renamed) for as long as the process stays there.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard();
    ~CurrentDirectoryGuard();
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

private:
    std::wstring saved_;
};

// The program icon at the given size in pixels, loaded once for the program's
// life; null if it could not be, which the caller reports if it must.
HICON programIcon(int size);
// Every window of the program carries the program icon. None if Windows refused it.
WindowClass registerWindowClass(const wchar_t* name, WNDPROC procedure, HICON large, HICON small);

// Routes messages to Window::handle; the object travels in CreateWindowExW's
// last argument and is kept in GWLP_USERDATA from WM_NCCREATE on, which is
// also the one moment Windows 10 1607 accepts the non-client scaling.
template <typename Window>
LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        window->hwnd_ = hwnd;
        scaleNonClientArea(hwnd);
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    return window->handle(message, wParam, lParam);
}

}  // namespace tarnvel::ui
