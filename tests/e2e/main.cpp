#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "driver.h"

// ctest hands over the Unix path of Tarnvel.exe; Wine shows the Unix root as Z:.
static std::wstring windowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// Without a window manager (Xvfb), Wine waits two seconds for one to confirm
// that each closed message box or dialog is gone; windows it does not hand to
// a window manager skip that wait. Only Wine reads this key, only for Tarnvel.exe.
static void skipWindowManagerWaits() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tarnvel.exe\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    RegCloseKey(key);
}

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: tarnvel_e2e <path of Tarnvel.exe> [gtest options]\n");
        return 2;
    }
    e2e::setTarnvelExe(windowsPath(argv[1]));
    skipWindowManagerWaits();
    return RUN_ALL_TESTS();
}
