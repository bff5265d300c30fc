#pragma once
// The main window as designed, in twips, and where a control sits in pixels.

#include <windows.h>

#include <commctrl.h>

#include "control_ids.h"

namespace e2e {

struct DesignedControl {
    int id;
    const wchar_t* kind;
    const char* text;
    int left, top, width, height;  // twips
};

inline const DesignedControl kMainControls[] = {
    {IDC_LABEL1, L"Static", "", 120, 120, 3975, 615},
    {IDC_COMMAND2, L"Button", "ファイル指定", 2640, 780, 1455, 375},
    {IDC_LABEL2, L"Static", "対象ファイルサイズ", 120, 1200, 1935, 255},
    {IDC_LABEL3, L"Static", "", 2400, 1200, 1695, 255},
    {IDC_LABEL4, L"Static", "(指定可能範囲)", 120, 1440, 1575, 255},
    {IDC_LABEL5, L"Static", "", 2640, 1440, 1455, 255},
    {IDC_LABEL6, L"Static", "作成ファイルサイズ指定", 120, 1920, 2175, 255},
    {IDC_TEXT1, L"Edit", "", 1680, 2200, 1095, 285},
    {IDC_LABEL7, L"Static", "×1000Byte", 2880, 2235, 1215, 255},
    {IDC_COMMAND1, L"Button", "Cut開始", 2880, 2520, 1215, 375},
    {IDC_PROGRESSBAR1, PROGRESS_CLASSW, "", 0, 2880, 4215, 255},
};
inline constexpr int kMainClientWidth = 4215, kMainClientHeight = 3150;

inline int pixelsAt(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

inline UINT screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// A child's rectangle in its parent's client coordinates.
inline RECT placeIn(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace e2e
