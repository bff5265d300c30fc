#include "frm_about.h"

#include <commctrl.h>

#include "control_ids.h"
#include "control_layout.h"
#include "dpi.h"
#include "message_pump.h"
#include "notices.h"
#include "tarnvel/words.h"

namespace tarnvel::ui {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kClientWidth = 3015, kClientHeight = 1695;

enum FontIndex { kWindowFont, kSmallFont, kTitleFont };

constexpr ControlDesign kControls[] = {
    {IDOK, WC_BUTTONW, words::kAboutOkButton, 1800, 1320, 1140, 345, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kSmallFont},
    {IDC_PICICON, WC_STATICW, u"", 120, 120, 540, 540, SS_ICON | SS_CENTERIMAGE, 0, kSmallFont},
    {IDC_LBLDESCRIPTION, WC_STATICW, words::kAboutDescription, 960, 720, 1845, 285, SS_LEFTNOWORDWRAP, 0, kWindowFont},
    {IDC_LBLTITLE, WC_STATICW, words::kAboutProgramName, 960, 120, 1965, 360, SS_LEFTNOWORDWRAP, 0, kTitleFont},
    {IDC_LBLVERSION, WC_STATICW, words::kAboutVersion, 960, 480, 1485, 225, SS_LEFTNOWORDWRAP, 0, kWindowFont},
    {IDC_ABOUT_LABEL1, WC_STATICW, words::kAboutAuthor, 840, 1080, 1575, 255, SS_LEFTNOWORDWRAP, 0, kSmallFont},
};

}  // namespace

void frmAbout::showModal(HWND owner, UINT dpi) {
    frmAbout about(owner, dpi);
    if (!about.hwnd_) {
        about.reportFailure(owner);
        return;
    }
    EnableWindow(owner, FALSE);
    ShowWindow(about.hwnd_, SW_SHOW);
    SetFocus(GetDlgItem(about.hwnd_, IDOK));

    MSG message;
    while (about.open_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        dispatch(message);
    }
    // The owner must be enabled before the window goes, or Windows hands the
    // activation to some other program.
    EnableWindow(owner, TRUE);
    if (IsWindow(about.hwnd_)) DestroyWindow(about.hwnd_);
    SetActiveWindow(owner);
}

frmAbout::frmAbout(HWND owner, UINT dpi) : dpi_(dpi) {
    // The main window's start has loaded both icons. A registration refused
    // is reported, and tried again at the next showing.
    static WindowClass windowClass;
    if (!windowClass)
        windowClass =
            registerWindowClass(TARNVEL_ABOUT_CLASS, windowProcedure<frmAbout>,
                                programIcon(GetSystemMetrics(SM_CXICON)), programIcon(GetSystemMetrics(SM_CXSMICON)));
    if (!windowClass) {
        fail(words::kRegisterClassFailed);
        return;
    }
    // Created in its place, since a popup at CW_USEDEFAULT opens at 0,0 on the
    // primary monitor, where nobody may look while the main window waits for it.
    const SIZE size = windowSizeFor(kClientWidth, kClientHeight, kStyle, kExStyle, false, dpi_, dpiForWindow(owner));
    const RECT at = centredOnMonitorOf(owner, size);
    if (!CreateWindowExW(kExStyle, TARNVEL_ABOUT_CLASS, wide(words::kAboutTitle).c_str(), kStyle, at.left, at.top,
                         size.cx, size.cy, owner, nullptr, GetModuleHandleW(nullptr), this)) {
        // WM_CREATE's refusal has been recorded already; the window it set up is gone.
        if (!failedCall_) fail(words::kCreateWindowFailed);
        hwnd_ = nullptr;
        return;
    }
    SendDlgItemMessageW(hwnd_, IDC_PICICON, STM_SETICON, reinterpret_cast<WPARAM>(programIcon(32)), 0);
}

LRESULT frmAbout::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (!createControls(hwnd_, kControls)) {
            fail(words::kCreateWindowFailed);
            return -1;
        }
        layOut(dpi_);
        return 0;
    case WM_COMMAND:
        // cmdOK is both the default and the cancel button: Enter and Esc close too.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) cmdOK_Click();
        return 0;
    case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CLOSE: cmdOK_Click(); return 0;
    case WM_DPICHANGED:
        layOut(HIWORD(wParam));
        moveToSuggestedPlace(
            hwnd_, lParam,
            windowSizeFor(kClientWidth, kClientHeight, kStyle, kExStyle, false, dpi_, dpiForWindow(hwnd_)));
        return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void frmAbout::layOut(UINT dpi) {
    dpi_ = dpi;
    std::vector<UniqueFont> fonts;
    fonts.push_back(createFont(L"ＭＳ ゴシック", 975, dpi_));
    fonts.push_back(createFont(L"ＭＳ Ｐゴシック", 900, dpi_));
    fonts.push_back(createFont(L"ＭＳ ゴシック", 1200, dpi_));
    const HFONT handles[] = {fonts[kWindowFont].get(), fonts[kSmallFont].get(), fonts[kTitleFont].get()};
    placeControls(hwnd_, kControls, dpi_, handles);
    fonts_ = std::move(fonts);
}

void frmAbout::cmdOK_Click() { open_ = false; }

void frmAbout::fail(const char16_t* what) {
    failure_ = GetLastError();
    failedCall_ = what;
}

void frmAbout::reportFailure(HWND owner) const {
    showNotice(owner, {words::cannotShowAbout(failedCall_, systemErrorText(failure_)), NoticeIcon::Exclamation,
                       words::kErrorTitle});
}

}  // namespace tarnvel::ui
