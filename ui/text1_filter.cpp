#include "text1_filter.h"

#include <commctrl.h>

namespace tarnvel::ui {

namespace {

LRESULT CALLBACK filterProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CHAR && !Text1_KeyPress(static_cast<wchar_t>(wParam))) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, filterProcedure, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

bool Text1_KeyPress(wchar_t typed) { return typed == 13 || typed == 8 || (typed >= L'0' && typed <= L'9'); }

void attachText1Filter(HWND text1) { SetWindowSubclass(text1, filterProcedure, 0, 0); }

}  // namespace tarnvel::ui
