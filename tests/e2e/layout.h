#pragma once
// Where the program's windows put their controls. The designs are in twips;
// the expectations are converted at the DPI the window itself reports, so one
// table holds at every DPI the suite is run under.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "control_ids.h"

namespace e2e {

// GetDpiForWindow where the system has it (Windows 10 1607), else the
// screen's DPI, which is every window's before that.
UINT windowDpi(HWND window);
int pixels(int twips, UINT dpi);
// The child's rectangle in the parent's client coordinates.
RECT placeIn(HWND parent, HWND child);

// The DPI the run was set up for (TARNVEL_E2E_DPI), or 0 where nobody said.
UINT expectedDpi();

// A font as the program makes it, so its text can be measured here: another
// process's font handle is of no use in this one.
struct FontDesign {
    const wchar_t* face;
    int centiPoints;
};
inline constexpr FontDesign kWindowFont{L"ＭＳ ゴシック", 975};
inline constexpr FontDesign kAboutTitleFont{L"ＭＳ ゴシック", 1200};
inline constexpr FontDesign kAboutSmallFont{L"ＭＳ Ｐゴシック", 900};
int textWidth(const std::wstring& text, const FontDesign& font, UINT dpi);

struct ControlPlace {
    int id;
    const wchar_t* kind;
    const char* text;              // nullptr: not compared
    int left, top, width, height;  // twips
    // A one-line label: its box is widened to the right where its text is wider.
    const FontDesign* oneLine = nullptr;
};
// Checks class, text and place of each row; failures name the control. The
// place is converted at the given DPI, by default the window's own.
void expectControlsInPlace(HWND window, const ControlPlace* rows, size_t count, UINT dpi = 0);

// The main window as designed.
inline const ControlPlace kMainControls[] = {
    {IDC_LABEL1, L"Static", "", 120, 120, 3975, 615},
    {IDC_COMMAND2, L"Button", "ファイル指定", 2640, 780, 1455, 375},
    {IDC_LABEL2, L"Static", "対象ファイルサイズ", 120, 1200, 1935, 255, &kWindowFont},
    {IDC_LABEL3, L"Static", "", 2400, 1200, 1695, 255},
    {IDC_LABEL4, L"Static", "(指定可能範囲)", 120, 1440, 1575, 255, &kWindowFont},
    {IDC_LABEL5, L"Static", "", 2640, 1440, 1455, 255},
    {IDC_LABEL6, L"Static", "作成ファイルサイズ指定", 120, 1920, 2175, 255, &kWindowFont},
    {IDC_TEXT1, L"Edit", "", 1680, 2200, 1095, 285},
    {IDC_LABEL7, L"Static", "×1000Byte", 2880, 2235, 1215, 255, &kWindowFont},
    {IDC_COMMAND1, L"Button", "Cut開始", 2880, 2520, 1215, 375},
    {IDC_PROGRESSBAR1, PROGRESS_CLASSW, nullptr, 0, 2880, 4215, 255},
};
inline constexpr int kMainClientWidth = 4215, kMainClientHeight = 3150;

}  // namespace e2e
