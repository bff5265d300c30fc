#pragma once
// Where the program's windows put their controls. The designs are in twips;
// the expectations are converted at the DPI the window itself reports, so one
// table holds at every DPI the suite is run under.

#include <windows.h>

#include <string>

namespace e2e {

// GetDpiForWindow where the system has it (Windows 10 1607), else the
// screen's DPI, which is every window's before that.
UINT windowDpi(HWND window);
int pixels(int twips, UINT dpi);
// The child's rectangle in the parent's client coordinates.
RECT placeIn(HWND parent, HWND child);

// The DPI the run was set up for (TARNVEL_E2E_DPI), or 0 where nobody said.
UINT expectedDpi();

struct ControlPlace {
    int id;
    const wchar_t* kind;
    const char* text;              // nullptr: not compared
    int left, top, width, height;  // twips
};
// Checks class, text and place of each row; failures name the control.
void expectControlsInPlace(HWND window, const ControlPlace* rows, size_t count);

}  // namespace e2e
