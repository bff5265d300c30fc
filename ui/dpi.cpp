#include "dpi.h"

#include "system_dll.h"
#include "win32_owners.h"

namespace tarnvel::ui {

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
// The second parameter is MONITOR_DPI_TYPE; 0 is MDT_EFFECTIVE_DPI.
using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using EnableNonClientDpiScalingCall = BOOL(WINAPI*)(HWND);
constexpr int kEffectiveDpi = 0;

struct NewerCalls {
    GetDpiForWindowCall getDpiForWindow = nullptr;                   // Windows 10 1607
    AdjustWindowRectExForDpiCall adjustForDpi = nullptr;             // Windows 10 1607
    GetDpiForMonitorCall getDpiForMonitor = nullptr;                 // Windows 8.1, shcore.dll
    EnableNonClientDpiScalingCall enableNonClientScaling = nullptr;  // Windows 10 1607
};

const NewerCalls& newerCalls() {
    static const NewerCalls calls = [] {
        NewerCalls found;
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        found.getDpiForWindow = lookUp<GetDpiForWindowCall>(user32, "GetDpiForWindow");
        found.adjustForDpi = lookUp<AdjustWindowRectExForDpiCall>(user32, "AdjustWindowRectExForDpi");
        found.enableNonClientScaling = lookUp<EnableNonClientDpiScalingCall>(user32, "EnableNonClientDpiScaling");
        // Windows 7 has no shcore.dll, and a bare name would then load one
        // lying beside the program.
        HMODULE shcore = loadSystemDll(L"shcore.dll");
        found.getDpiForMonitor = lookUp<GetDpiForMonitorCall>(shcore, "GetDpiForMonitor");
        return found;
    }();
    return calls;
}

UINT systemDpi() {
    const WindowDc screen = dcOf(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get().dc, LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

UINT dpiForWindow(HWND window) {
    const NewerCalls& calls = newerCalls();
    if (calls.getDpiForWindow) {
        if (const UINT dpi = calls.getDpiForWindow(window)) return dpi;
    }
    // Windows 8.1 gives a per-monitor-aware program its monitor's DPI only here;
    // the screen's is the primary monitor's.
    UINT dpiX = 0, dpiY = 0;
    if (calls.getDpiForMonitor &&
        SUCCEEDED(
            calls.getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &dpiX, &dpiY)) &&
        dpiY > 0)
        return dpiY;
    return systemDpi();
}

void scaleNonClientArea(HWND window) {
    if (const auto enable = newerCalls().enableNonClientScaling) enable(window);
}

RECT frameForClient(RECT client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi) {
    RECT frame = client;
    const NewerCalls& calls = newerCalls();
    if (calls.adjustForDpi && calls.adjustForDpi(&frame, style, hasMenu, exStyle, dpi)) return frame;
    // Before Windows 10 the caption and menu keep the system's size on every
    // monitor, which is what this measures.
    frame = client;
    AdjustWindowRectEx(&frame, style, hasMenu, exStyle);
    return frame;
}

}  // namespace tarnvel::ui
