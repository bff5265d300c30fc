#include "readme_editor.h"

#include <cwctype>
#include <string>

#include "driver.h"

namespace e2e {

EditorWindow::~EditorWindow() {
    if (!window) return;
    DWORD pid = processOf(window);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (waitUntil([&] { return !IsWindow(window); }, 5000)) return;
    Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (process.get()) TerminateProcess(process.get(), 0);
}

HWND findReadmeEditor(DWORD tarnvelPid) {
    return findTopLevelWhere([&](HWND w) {
        if (processOf(w) == tarnvelPid) return false;
        std::wstring title = wide(caption(w));
        for (auto& c : title) c = static_cast<wchar_t>(std::towlower(c));
        return title.find(L"readme") != std::wstring::npos;
    });
}

}  // namespace e2e
