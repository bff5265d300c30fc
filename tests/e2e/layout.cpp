#include "layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "driver.h"

namespace e2e {

UINT windowDpi(HWND window) {
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto getDpiForWindow = user32 ? reinterpret_cast<GetDpiForWindowCall>(
                                        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")))
                                  : nullptr;
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

int pixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

RECT placeIn(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int textWidth(const std::wstring& text, const FontDesign& font, UINT dpi) {
    LOGFONTW logical{};
    logical.lfHeight = -MulDiv(font.centiPoints, static_cast<int>(dpi), 7200);
    logical.lfWeight = FW_NORMAL;
    logical.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(logical.lfFaceName, font.face, LF_FACESIZE);
    HFONT handle = CreateFontIndirectW(&logical);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, handle);
    SIZE extent{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(handle);
    return extent.cx;
}

UINT expectedDpi() {
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"TARNVEL_E2E_DPI", value, 16);
    if (length == 0 || length >= 16) return 0;
    return static_cast<UINT>(std::wcstoul(value, nullptr, 10));
}

void expectControlsInPlace(HWND window, const ControlPlace* rows, size_t count, UINT dpi) {
    if (dpi == 0) dpi = windowDpi(window);
    for (size_t i = 0; i < count; ++i) {
        const ControlPlace& row = rows[i];
        SCOPED_TRACE("control " + std::to_string(row.id) + " at " + std::to_string(dpi) + " DPI");
        HWND control = GetDlgItem(window, row.id);
        ASSERT_TRUE(control);
        wchar_t kind[64] = {};
        GetClassNameW(control, kind, 64);
        EXPECT_EQ(utf8(kind), utf8(row.kind));
        if (row.text) {
            EXPECT_EQ(text(control), row.text);
        }
        const RECT at = placeIn(window, control);
        EXPECT_NEAR(at.left, pixels(row.left, dpi), 1);
        EXPECT_NEAR(at.top, pixels(row.top, dpi), 1);
        int width = pixels(row.width, dpi);
        if (row.oneLine) {
            const int needed = textWidth(wide(text(control)), *row.oneLine, dpi);
            RECT client{};
            GetClientRect(control, &client);
            EXPECT_GE(client.right, needed) << "the text is cut off";
            width = std::max(width, needed);
        }
        EXPECT_NEAR(at.right - at.left, width, 1);
        EXPECT_NEAR(at.bottom - at.top, pixels(row.height, dpi), 1);
    }
}

}  // namespace e2e
