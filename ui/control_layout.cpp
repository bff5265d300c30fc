#include "control_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>

#include "dpi.h"
#include "tarnvel/screen_geometry.h"
#include "win32_support.h"

namespace tarnvel::ui {

bool createControls(HWND parent, std::span<const ControlDesign> designs) {
    for (const ControlDesign& design : designs)
        if (!CreateWindowExW(design.exStyle, design.className, wide(design.text).c_str(),
                             WS_CHILD | (design.hidden ? 0 : WS_VISIBLE) | design.style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), GetModuleHandleW(nullptr),
                             nullptr))
            return false;
    return true;
}

namespace {

// The designed width rarely holds a caption in every font at every DPI: a
// face drawn a pixel wider would cut off its last character.
int widthFor(HWND control, const ControlDesign& design, int designedWidth, HFONT font) {
    if (std::wstring_view(design.className) != WC_STATICW || (design.style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP)
        return designedWidth;
    const std::wstring text = windowText(control);
    const WindowDc dc = dcOf(control);
    const HGDIOBJ previous = SelectObject(dc.get().dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc.get().dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc.get().dc, previous);
    return std::max(designedWidth, static_cast<int>(extent.cx));
}

}  // namespace

void placeControls(HWND parent, std::span<const ControlDesign> designs, UINT dpi, std::span<const HFONT> fonts) {
    const int at = static_cast<int>(dpi);
    for (const ControlDesign& design : designs) {
        HWND control = GetDlgItem(parent, design.id);
        HFONT font = fonts[static_cast<std::size_t>(design.font)];
        SetWindowPos(control, nullptr, twipsToPixels(design.left, at), twipsToPixels(design.top, at),
                     widthFor(control, design, twipsToPixels(design.width, at), font), twipsToPixels(design.height, at),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

SIZE windowSizeFor(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, bool hasMenu,
                   UINT clientDpi, UINT frameDpi) {
    const int at = static_cast<int>(clientDpi);
    const RECT client{0, 0, twipsToPixels(clientWidthTwips, at), twipsToPixels(clientHeightTwips, at)};
    const RECT frame = frameForClient(client, style, exStyle, hasMenu, frameDpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

RECT centredOnMonitorOf(HWND reference, SIZE size) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT work{};
    if (GetMonitorInfoW(MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const ScreenRect at = centredOn({work.left, work.top, work.right, work.bottom}, size.cx, size.cy);
    return {at.left, at.top, at.right, at.bottom};
}

void moveToSuggestedPlace(HWND window, LPARAM suggestedRect, SIZE size) {
    const auto* suggested = reinterpret_cast<const RECT*>(suggestedRect);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tarnvel::ui
