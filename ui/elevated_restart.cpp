#include "elevated_restart.h"

#include <winnetwk.h>

#include <optional>
#include <vector>

#include "shell_execute.h"
#include "system_dll.h"
#include "tarnvel/growing_buffer.h"
#include "tarnvel/long_path.h"
#include "tarnvel/system_path.h"
#include "win32_support.h"

namespace tarnvel::ui {

namespace {

// One of UAC's policy values; missing or unreadable counts as Windows' own
// default.
DWORD uacPolicy(const wchar_t* name, DWORD windowsDefault) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", name,
                     RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return windowsDefault;
    return value;
}

std::optional<std::u16string> finalPathOf(const std::u16string& path) {
    const std::u16string system = systemPath(path);
    const UniqueHandle file(CreateFileW(wide(system).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return std::nullopt;
    const std::optional<std::wstring> final = filledBuffer<wchar_t>([&](wchar_t* buffer, std::size_t capacity) {
        return GetFinalPathNameByHandleW(file.get(), buffer, static_cast<DWORD>(capacity),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    if (!final) return std::nullopt;
    return utf16(*final);
}

}  // namespace

void readElevation(CreateFailureFacts& facts) {
    facts.uacEnabled = uacPolicy(L"EnableLUA", 1) != 0;
    // 0 is "automatically deny elevation requests"; the default, 3, asks for
    // an administrator's credentials.
    facts.standardUserElevationDenied = uacPolicy(L"ConsentPromptBehaviorUser", 3) == 0;
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return;
    TOKEN_ELEVATION elevation{};
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    // Unknown counts as an unelevated standard user's token: the offer is then
    // made where UAC is on, and Windows' own prompt has the last word.
    if (GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        facts.elevated = elevation.TokenIsElevated != 0;
    if (GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size))
        facts.elevationType = static_cast<ElevationType>(type);
}

std::u16string pathAnElevatedProcessSees(const std::u16string& path) {
    const std::wstring local = wide(path);
    const auto fill = [&](std::byte* bytes, std::size_t& size) {
        auto bufferSize = static_cast<DWORD>(size);
        const DWORD answer = universalName(local.c_str(), UNIVERSAL_NAME_INFO_LEVEL, bytes, &bufferSize);
        size = bufferSize;
        return answer;
    };
    std::vector<std::byte> buffer;
    // Fails with ERROR_NOT_CONNECTED for anything but a mapped drive.
    if (filledBytes(buffer, sizeof(UNIVERSAL_NAME_INFOW) + MAX_PATH * sizeof(wchar_t), ERROR_MORE_DATA, fill) !=
        NO_ERROR)
        return path;
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
    return info->lpUniversalName ? utf16(info->lpUniversalName) : path;
}

std::u16string pathForElevatedProcess(const std::u16string& path) {
    const std::optional<std::u16string> final = finalPathOf(path);
    return pathAnElevatedProcessSees(final ? shownPath(*final) : path);
}

SystemError restartElevated(HWND owner, const StartOptions& options) {
    const std::optional<std::wstring> program = modulePath();
    if (!program) return GetLastError();
    return shellExecute(owner, L"runas", wide(pathForElevatedProcess(utf16(*program))), wide(startCommandLine(options)),
                        SW_SHOWNORMAL);
}

}  // namespace tarnvel::ui
