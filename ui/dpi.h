#pragma once
// The DPI of a window and the frame a client area needs at it. Windows 7 has
// neither GetDpiForWindow nor AdjustWindowRectExForDpi, and a static import
// of either keeps the program from loading there, so they are looked up at
// run time with fallbacks that older systems understand.

#include <windows.h>

namespace tarnvel::ui {

UINT dpiForWindow(HWND window);
// For WM_NCCREATE. Windows 10 1607 runs the program as per-monitor v1, which
// scales the caption and menu only when asked; later versions use the
// manifest's v2, which scales them anyway.
void scaleNonClientArea(HWND window);
// The window rectangle around a client rectangle, as AdjustWindowRectEx.
RECT frameForClient(RECT client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

}  // namespace tarnvel::ui
