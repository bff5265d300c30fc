#pragma once
// Thin RAII wrappers and conversions shared by the two windows.

#include <windows.h>

#include <string>
#include <string_view>

#include "call_failure.h"
#include "dpi.h"

namespace tarnvel::ui {

// UTF-16 on both sides: char16_t in the core, wchar_t in Win32.
inline std::wstring wide(std::u16string_view text) { return {text.begin(), text.end()}; }
inline std::u16string utf16(std::wstring_view text) { return {text.begin(), text.end()}; }

inline int twipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

std::wstring windowText(HWND window);
// The full path of Tarnvel.exe itself, however long.
std::wstring modulePath();

class Font {
public:
    Font() = default;
    // Size in hundredths of a point, so 9.75 pt stays exact.
    Font(const wchar_t* face, int centiPoints, UINT dpi);
    ~Font() { reset(); }
    Font(Font&& other) noexcept : font_(other.font_), failure_(other.failure_) { other.font_ = nullptr; }
    Font& operator=(Font&& other) noexcept;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    HFONT get() const { return font_; }
    const CallFailure& failure() const { return failure_; }

private:
    void reset();
    HFONT font_ = nullptr;
    CallFailure failure_;
};

class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~UniqueHandle() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

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

class WindowClass {
public:
    // Every window of the program carries the program icon.
    WindowClass(const wchar_t* name, WNDPROC procedure);
    ~WindowClass() { UnregisterClassW(name_, GetModuleHandleW(nullptr)); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    // The first call that failed: one of the icons, or the registration.
    const CallFailure& failure() const { return failure_; }

private:
    const wchar_t* name_;
    CallFailure failure_;
};

class Icon {
public:
    Icon(int resourceId, int size);
    ~Icon() {
        if (icon_) DestroyIcon(icon_);
    }
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;

    HICON get() const { return icon_; }
    const CallFailure& failure() const { return failure_; }

private:
    HICON icon_;
    CallFailure failure_;
};

// The program icon at the given size in pixels, loaded once for the program's life.
const Icon& programIcon(int size);

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
