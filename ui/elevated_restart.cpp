#include "elevated_restart.h"

#include <winnetwk.h>

#include <vector>

#include "shell_execute.h"
#include "system_dll.h"
#include "win32_support.h"

namespace tarnvel::ui {

bool processIsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    // Unknown counts as not elevated: the offer is then made, and Windows'
    // own prompt has the last word.
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

bool obstacleAt(const std::u16string& outputPath) {
    const DWORD attributes = GetFileAttributesW(wide(outputPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

std::u16string pathAnElevatedProcessSees(const std::u16string& path) {
    const std::wstring local = wide(path);
    std::vector<BYTE> buffer(sizeof(UNIVERSAL_NAME_INFOW) + 32768 * sizeof(wchar_t));
    auto size = static_cast<DWORD>(buffer.size());
    // Fails with ERROR_NOT_CONNECTED for anything but a mapped drive.
    if (universalName(local.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size) != NO_ERROR) return path;
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
    return info->lpUniversalName ? utf16(info->lpUniversalName) : path;
}

SystemError restartElevated(HWND owner, const StartOptions& options) {
    return shellExecute(owner, L"runas", modulePath(), wide(startCommandLine(options)), SW_SHOWNORMAL);
}

}  // namespace tarnvel::ui
