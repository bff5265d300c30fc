#include "readme_command.h"

#include <string>

#include "notices.h"
#include "win32_support.h"

namespace tarnvel::ui {

namespace {

std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

}  // namespace

void openReadme(HWND owner) {
    // Quoted, so a folder with spaces in its name still works.
    std::wstring commandLine = L"notepad.exe \"" + programFolder() + L"\\readme.txt\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNOACTIVATE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        showNotice(owner, {u"メモ帳を起動できません。\n" + lastErrorReason(), NoticeIcon::Exclamation, kErrorTitle});
        return;
    }
    // Nobody waits for the editor.
    UniqueHandle thread(process.hThread), editor(process.hProcess);
}

}  // namespace tarnvel::ui
