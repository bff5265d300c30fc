#include "win32_support.h"

#include <map>

#include "control_ids.h"
#include "tarnvel/words.h"

namespace tarnvel::ui {

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

CurrentDirectoryGuard::CurrentDirectoryGuard() {
    // The length asked for includes the terminator; the one returned after a copy does not.
    for (DWORD needed = GetCurrentDirectoryW(0, nullptr); needed != 0;) {
        saved_.resize(needed);
        const DWORD length = GetCurrentDirectoryW(needed, saved_.data());
        if (length < needed) {
            saved_.resize(length);
            return;
        }
        needed = length;
    }
    saved_.clear();
}

CurrentDirectoryGuard::~CurrentDirectoryGuard() {
    // If the folder has gone meanwhile, there is nothing better to return to.
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
}

Font::Font(const wchar_t* face, int centiPoints, UINT dpi) {
    LOGFONTW logical{};
    logical.lfHeight = -MulDiv(centiPoints, static_cast<int>(dpi), 7200);
    logical.lfWeight = FW_NORMAL;
    logical.lfCharSet = SHIFTJIS_CHARSET;
    logical.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(logical.lfFaceName, face, LF_FACESIZE);
    font_ = CreateFontIndirectW(&logical);
    if (!font_) failure_ = {words::kCreateFontFailed, GetLastError()};
}

Font& Font::operator=(Font&& other) noexcept {
    if (this != &other) {
        reset();
        font_ = other.font_;
        failure_ = other.failure_;
        other.font_ = nullptr;
    }
    return *this;
}

void Font::reset() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure) : name_(name) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    const Icon& large = programIcon(GetSystemMetrics(SM_CXICON));
    const Icon& small = programIcon(GetSystemMetrics(SM_CXSMICON));
    windowClass.hIcon = large.get();
    windowClass.hIconSm = small.get();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass)) failure_ = {words::kRegisterClassFailed, GetLastError()};
    // The earliest failure is the one to tell: the icons were loaded first.
    if (small.failure()) failure_ = small.failure();
    if (large.failure()) failure_ = large.failure();
}

Icon::Icon(int resourceId, int size)
    : icon_(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size,
                                          size, LR_DEFAULTCOLOR))) {
    if (!icon_) failure_ = {words::kLoadIconFailed, GetLastError()};
}

const Icon& programIcon(int size) {
    static std::map<int, Icon> icons;
    return icons.try_emplace(size, IDI_TARNVEL, size).first->second;
}

}  // namespace tarnvel::ui
