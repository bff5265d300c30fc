#pragma once
// Controls described once in twips, created once, and placed again in pixels
// whenever the window's DPI changes.

#include <windows.h>

#include <span>

namespace tarnvel::ui {

struct ControlDesign {
    int id;
    const wchar_t* className;
    const char16_t* text;
    int left, top, width, height;  // twips
    DWORD style;
    DWORD exStyle;
    int font;             // index into the window's fonts
    bool hidden = false;  // never shown: it only names the control after it
};

// Children are created in the order given. Tab visits the tab stops in that
// order, and screen readers read it, naming an edit field or a progress bar
// after the static text just before it.
// False as soon as one could not be created, its code still the last error.
bool createControls(HWND parent, std::span<const ControlDesign> designs);
// A one-line label (SS_LEFTNOWORDWRAP) whose text is wider in its font than
// designed is widened to the right just enough; nothing else moves.
void placeControls(HWND parent, std::span<const ControlDesign> designs, UINT dpi, std::span<const HFONT> fonts);

// Window size for a client area given in twips, laid out at clientDpi, with
// caption and menu as Windows draws them at frameDpi, the window's own.
SIZE windowSizeFor(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, bool hasMenu,
                   UINT clientDpi, UINT frameDpi);
// Centred on the work area of the monitor `reference` is on (or nearest to).
RECT centredOnMonitorOf(HWND reference, SIZE size);
// WM_DPICHANGED: go where Windows suggests, at the size the new DPI needs.
void moveToSuggestedPlace(HWND window, LPARAM suggestedRect, SIZE size);

}  // namespace tarnvel::ui
