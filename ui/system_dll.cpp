#include "system_dll.h"

#include "tarnvel/growing_buffer.h"

namespace tarnvel::ui {

namespace {

using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
using WNetGetUniversalNameCall = DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD);

}  // namespace

void restrictDllSearchToSystemFolder() {
    // Windows 8 and later; Windows 7 with KB2533623, which also brings the
    // LOAD_LIBRARY_SEARCH_* flags.
    const auto setDefault =
        lookUp<SetDefaultDllDirectoriesCall>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Takes at least the current folder out of the search.
    SetDllDirectoryW(L"");
}

std::wstring systemFolder() {
    const auto fill = [](wchar_t* buffer, std::size_t capacity) {
        return GetSystemDirectoryW(buffer, static_cast<UINT>(capacity));
    };
    return filledBuffer<wchar_t>(fill).value_or(std::wstring());
}

HMODULE loadSystemDll(const wchar_t* name) {
    const std::wstring folder = systemFolder();
    if (folder.empty()) return nullptr;
    // With a full path, the altered search makes the DLL's own imports that
    // are no KnownDLLs come from its folder too, on every Windows.
    return LoadLibraryExW((folder + L'\\' + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

DWORD universalName(const wchar_t* localPath, DWORD infoLevel, void* buffer, DWORD* bufferSize) {
    static const auto call = lookUp<WNetGetUniversalNameCall>(loadSystemDll(L"mpr.dll"), "WNetGetUniversalNameW");
    return call ? call(localPath, infoLevel, buffer, bufferSize) : ERROR_NO_NETWORK;
}

}  // namespace tarnvel::ui
