#include "win32_support.h"

#include <map>

#include "control_ids.h"
#include "tarnvel/growing_buffer.h"

namespace tarnvel::ui {

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::optional<std::wstring> modulePath() {
    const auto fill = [](wchar_t* buffer, std::size_t capacity) {
        return GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(capacity));
    };
    return filledBuffer<wchar_t>(fill);
}

CurrentDirectoryGuard::CurrentDirectoryGuard()
    : saved_(filledBuffer<wchar_t>([](wchar_t* buffer, std::size_t capacity) {
                 return GetCurrentDirectoryW(static_cast<DWORD>(capacity), buffer);
             }).value_or(std::wstring())) {}

CurrentDirectoryGuard::~CurrentDirectoryGuard() {
    // If the folder has gone meanwhile, there is nothing better to return to.
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
}

UniqueFont createFont(const wchar_t* face, int centiPoints, UINT dpi) {
    LOGFONTW logical{};
    logical.lfHeight = -MulDiv(centiPoints, static_cast<int>(dpi), 7200);
    logical.lfWeight = FW_NORMAL;
    logical.lfCharSet = SHIFTJIS_CHARSET;
    logical.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(logical.lfFaceName, face, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&logical));
}

HICON programIcon(int size) {
    static std::map<int, UniqueIcon> icons;
    const auto [at, added] = icons.try_emplace(size);
    if (added)
        at->second.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARNVEL),
                                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    return at->second.get();
}

WindowClass registerWindowClass(const wchar_t* name, WNDPROC procedure, HICON large, HICON small) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = large;
    windowClass.hIconSm = small;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return WindowClass(RegisterClassExW(&windowClass));
}

}  // namespace tarnvel::ui
