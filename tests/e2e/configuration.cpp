#include "configuration.h"

#include <windows.h>

#include "driver.h"

namespace e2e {
namespace {

std::wstring environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

}  // namespace

std::string activeConfiguration() { return utf8(environment(L"TARNVEL_E2E_CONFIG")); }

std::string skipNote(const std::string& configuration) {
    return "needs the " + configuration + " set-up: scripts/e2e-config.sh " + configuration +
           " TARNVEL_E2E_EXE TARNVEL_EXE";
}

std::wstring outsideDriveC() { return windowsPath(environment(L"TARNVEL_E2E_OUTSIDE_C")); }

}  // namespace e2e
