#include "dropped_files.h"

namespace tarnvel::ui {

namespace {

// Carries the drop's data across the integrity boundary; winuser.h leaves it out.
constexpr UINT kCopyGlobalData = 0x0049;

}  // namespace

std::optional<std::wstring> firstDroppedFile(HDROP drop) {
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return std::nullopt;
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    return path;
}

void acceptDroppedFiles(HWND window) {
    DragAcceptFiles(window, TRUE);
    ChangeWindowMessageFilterEx(window, WM_DROPFILES, MSGFLT_ALLOW, nullptr);
    ChangeWindowMessageFilterEx(window, kCopyGlobalData, MSGFLT_ALLOW, nullptr);
}

}  // namespace tarnvel::ui
