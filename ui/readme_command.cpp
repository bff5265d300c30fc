#include "readme_command.h"

#include <optional>
#include <string>

#include "notices.h"
#include "shell_execute.h"
#include "system_dll.h"
#include "tarnvel/file_io.h"
#include "tarnvel/words.h"
#include "win32_support.h"

namespace tarnvel::ui {

namespace {

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

SystemError startEditor(const std::wstring& readme) {
    // By its full path: a bare name is looked for in Tarnvel's own folder and
    // the current one first, where any notepad.exe lying in Downloads would run.
    const std::wstring folder = systemFolder();
    if (folder.empty()) return GetLastError();
    const std::wstring editor = folder + L"\\notepad.exe";
    // Quoted, so a folder with spaces in its name still works.
    std::wstring commandLine = L"notepad.exe \"" + readme + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNOACTIVATE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(editor.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    // Nobody waits for the editor.
    const UniqueHandle thread(process.hThread), started(process.hProcess);
    return kNoError;
}

// Notepad is an optional feature of Windows 11; without it the file opens in
// whatever program the user has for text.
SystemError openWithAssociatedProgram(HWND owner, const std::wstring& file) {
    return shellExecute(owner, L"open", file, {}, SW_SHOWNOACTIVATE);
}

}  // namespace

void openReadme(HWND owner) {
    const std::optional<std::wstring> program = modulePath();
    SystemError error = program ? kNoError : GetLastError();
    if (program) {
        const std::wstring readme = folderOf(*program) + L"\\readme.txt";
        error = startEditor(readme);
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            error = openWithAssociatedProgram(owner, readme);
    }
    if (error != kNoError)
        showNotice(owner,
                   {words::cannotStartEditor(systemErrorText(error)), NoticeIcon::Exclamation, words::kErrorTitle});
}

}  // namespace tarnvel::ui
