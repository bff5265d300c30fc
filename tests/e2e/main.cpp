#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "driver.h"
#include "screenshot.h"

namespace {

// The manifest makes this process DPI aware; without it Windows would rescale
// every rectangle read from the program, and the layout checks would judge
// those numbers. Windows before 10 (1607) cannot say, so it passes. Its types
// are as new as its calls, so they are spelt here rather than taken from
// headers held to Windows 7: a context is a handle, 0 is DPI_AWARENESS_UNAWARE.
bool dpiAware() {
    using GetContext = HANDLE(WINAPI*)();
    using GetAwareness = int(WINAPI*)(HANDLE);
    constexpr int kUnaware = 0;
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return true;
    auto context =
        reinterpret_cast<GetContext>(reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto awareness = reinterpret_cast<GetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    return !context || !awareness || awareness(context()) != kUnaware;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: tarnvel_e2e <path of Tarnvel.exe> [gtest options]\n");
        return 2;
    }
    if (!dpiAware()) {
        fprintf(stderr, "tarnvel_e2e: this process is not DPI aware; was it built without its manifest?\n");
        return 2;
    }
    e2e::setTarnvelExe(e2e::windowsPath(argv[1]));
    e2e::skipWindowManagerWaits();
    e2e::keepScreenshotsOfFailures();
    return RUN_ALL_TESTS();
}
