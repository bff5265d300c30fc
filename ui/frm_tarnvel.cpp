#include "frm_tarnvel.h"

#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>
#include <imm.h>

#include <algorithm>
#include <optional>
#include <variant>

#include "control_ids.h"
#include "control_layout.h"
#include "dpi.h"
#include "dropped_files.h"
#include "elevated_restart.h"
#include "frm_about.h"
#include "message_pump.h"
#include "notices.h"
#include "readme_command.h"
#include "start_failure.h"
#include "tarnvel/chosen_source.h"
#include "tarnvel/cut_validation.h"
#include "tarnvel/elevation.h"
#include "tarnvel/head_cut.h"
#include "tarnvel/screen_geometry.h"
#include "tarnvel/text.h"
#include "tarnvel/words.h"
#include "text1_filter.h"

namespace tarnvel::ui {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_BORDER;
constexpr DWORD kExStyle = 0;
constexpr int kClientWidth = 4215, kClientHeight = 3150;
constexpr std::size_t kFileNameChars = 32768;  // the longest path Windows accepts
// Posted on a focus change, so it comes after IsDialogMessage's own restyling of the buttons after a Tab.
constexpr UINT kFollowFocus = WM_APP + 1;

enum FontIndex { kWindowFont };

// Top to bottom, as the window reads: Tab visits ファイル指定, the size field and
// Cut開始 in this order, and a screen reader names the size field and the bar
// after the static text just before each; the bar's is never shown.
constexpr ControlDesign kControls[] = {
    {IDC_LABEL1, WC_STATICW, u"", 120, 120, 3975, 615, SS_LEFT | SS_EDITCONTROL | SS_NOPREFIX | SS_SUNKEN, 0,
     kWindowFont},
    {IDC_COMMAND2, WC_BUTTONW, words::kChooseFileButton, 2640, 780, 1455, 375, WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY,
     0, kWindowFont},
    {IDC_LABEL2, WC_STATICW, words::kSourceSizeLabel, 120, 1200, 1935, 255, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0,
     kWindowFont},
    {IDC_LABEL3, WC_STATICW, u"", 2400, 1200, 1695, 255, SS_RIGHT, 0, kWindowFont},
    {IDC_LABEL4, WC_STATICW, words::kPermittedRangeLabel, 120, 1440, 1575, 255, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0,
     kWindowFont},
    {IDC_LABEL5, WC_STATICW, u"", 2640, 1440, 1455, 255, SS_RIGHT, 0, kWindowFont},
    {IDC_LABEL6, WC_STATICW, words::kCutSizeLabel, 120, 1920, 2175, 255, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0,
     kWindowFont},
    {IDC_TEXT1, WC_EDITW, u"", 1680, 2200, 1095, 285, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kWindowFont},
    {IDC_LABEL7, WC_STATICW, words::kCutSizeUnit, 2880, 2235, 1215, 255, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0,
     kWindowFont},
    {IDC_COMMAND1, WC_BUTTONW, words::kStartCutButton, 2880, 2520, 1215, 375, WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY,
     0, kWindowFont},
    {IDC_PROGRESSNAME, WC_STATICW, words::kProgressName, 0, 2880, 4215, 255, SS_LEFT | SS_NOPREFIX, 0, kWindowFont,
     true},
    {IDC_PROGRESSBAR1, PROGRESS_CLASSW, u"", 0, 2880, 4215, 255, 0, 0, kWindowFont},
};

constexpr int kSeparatorTops[] = {0, 1755};  // twips
constexpr int kSeparatorWidth = 4200;

SIZE windowSize(UINT clientDpi, UINT frameDpi) {
    return windowSizeFor(kClientWidth, kClientHeight, kStyle, kExStyle, true, clientDpi, frameDpi);
}

HMENU createMenuBar() {
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, IDM_LOOKREADEME, wide(words::kReadmeMenuItem).c_str());
    AppendMenuW(popup, MF_STRING, IDM_VERSION, wide(words::kAboutMenuItem).c_str());
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), wide(words::kVersionMenu).c_str());
    return bar;
}

WindowClass registerMainClass() {
    const HICON large = programIcon(GetSystemMetrics(SM_CXICON));
    if (!large) failStart(words::kLoadIconFailed);
    const HICON small = programIcon(GetSystemMetrics(SM_CXSMICON));
    if (!small) failStart(words::kLoadIconFailed);
    WindowClass registered = registerWindowClass(TARNVEL_MAIN_CLASS, windowProcedure<frmTarnvel>, large, small);
    if (!registered) failStart(words::kRegisterClassFailed);
    return registered;
}

void setText(HWND window, int id, std::u16string_view text) { SetDlgItemTextW(window, id, wide(text).c_str()); }

}  // namespace

frmTarnvel::frmTarnvel() : fileName_(kFileNameChars, L'\0') {
    static const WindowClass windowClass = registerMainClass();
    if (!CreateWindowExW(kExStyle, TARNVEL_MAIN_CLASS, wide(words::kAppTitle).c_str(), kStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, 0, 0, nullptr, createMenuBar(), GetModuleHandleW(nullptr), this))
        failStart(words::kCreateWindowFailed);
}

void frmTarnvel::show(int showCommand) {
    // Created hidden where Windows puts a new window (on the monitor the starting
    // program asked for), so dpi_ is that monitor's; centred on the same one.
    const SIZE size = windowSize(dpi_, dpiForWindow(hwnd_));
    const RECT at = centredOnMonitorOf(hwnd_, size);
    SetWindowPos(hwnd_, nullptr, at.left, at.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, IDC_COMMAND2));
}

LRESULT frmTarnvel::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: onCreate(); return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_SETFOCUS || HIWORD(wParam) == EN_SETFOCUS)
            PostMessageW(hwnd_, kFollowFocus, 0, 0);
        else if (HIWORD(wParam) == BN_CLICKED)
            onCommand(LOWORD(wParam));
        return 0;
    case kFollowFocus: showDefaultButton(); return 0;
    case WM_ACTIVATE:
        // DefWindowProc would hand the focus to the window itself, where typing goes nowhere.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            focusWhileInactive_ = IsChild(hwnd_, focus) ? focus : nullptr;
        } else if (!HIWORD(wParam)) {
            restoreFocus();
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_DROPFILES: onDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case DM_GETDEFID: return MAKELRESULT(defaultButtonId(), DC_HASDEFID);
    case WM_PAINT: paintSeparators(); return 0;
    case WM_DPICHANGED:
        layOut(HIWORD(wParam));
        moveToSuggestedPlace(hwnd_, lParam, windowSize(dpi_, dpiForWindow(hwnd_)));
        return 0;
    case WM_SYSCOMMAND:
        // The menu's modal loop would hold the copy still until the menu closed.
        if (cut_ && ((wParam & 0xFFF0) == SC_KEYMENU || (wParam & 0xFFF0) == SC_MOUSEMENU)) return 0;
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_CLOSE:
        // Closing under a running cut would pull the window from beneath it:
        // the copy is asked to stop, and the close carried out once it has.
        // Once the copy is over, the close waits for its report.
        if (cut_ && cut_->copying())
            cut_->askToStop(true);
        else if (cut_)
            cut_->closeAfterReport();
        else
            DestroyWindow(hwnd_);
        return 0;
    case WM_QUERYENDSESSION:
        // A critical end (a forced restart) does not wait for anyone's veto;
        // the cut then ends in WM_ENDSESSION as any other.
        if (cut_ && cut_->copying() && !(lParam & ENDSESSION_CRITICAL)) return FALSE;
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_ENDSESSION:
        // The process may end as soon as this returns, so the output goes now.
        if (cut_ && wParam) cut_->endOfSession();
        return 0;
    case WM_SETCURSOR:
        if (cut_ && cut_->copying() && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case kHelpKeyPressed: onCommand(IDM_LOOKREADEME); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void frmTarnvel::onCreate() {
    if (!createControls(hwnd_, kControls)) failStart(words::kCreateWindowFailed);
    HWND text1 = GetDlgItem(hwnd_, IDC_TEXT1);
    attachText1Filter(text1);
    ImmAssociateContextEx(text1, nullptr, 0);
    progressBar_.attach(GetDlgItem(hwnd_, IDC_PROGRESSBAR1));
    acceptDroppedFiles(hwnd_);
    layOut(dpiForWindow(hwnd_));
}

void frmTarnvel::layOut(UINT dpi) {
    dpi_ = dpi;
    std::vector<UniqueFont> fonts;
    fonts.push_back(createFont(L"ＭＳ ゴシック", 975, dpi_));
    // The window does not start without its font; at a later change of DPI
    // it makes do with the system's.
    if (fonts_.empty() && !fonts[kWindowFont]) failStart(words::kCreateFontFailed);
    const HFONT handles[] = {fonts[kWindowFont].get()};
    placeControls(hwnd_, kControls, dpi_, handles);
    // The old fonts go only after no control uses them any more.
    fonts_ = std::move(fonts);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void frmTarnvel::paintSeparators() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    const int right = twipsToPixels(kSeparatorWidth, static_cast<int>(dpi_));
    for (const int top : kSeparatorTops) {
        const EtchedLine line = etchedLineAt(top, static_cast<int>(dpi_));
        const RECT dark{0, line.darkTop, right, line.darkTop + line.thickness};
        const RECT light{0, line.lightTop, right, line.lightTop + line.thickness};
        FillRect(dc, &dark, GetSysColorBrush(COLOR_WINDOWTEXT));
        FillRect(dc, &light, GetSysColorBrush(COLOR_WINDOW));
    }
    EndPaint(hwnd_, &paint);
}

int frmTarnvel::defaultButtonId() const {
    // As in a dialog: a focused push button is the default, else Cut開始 is.
    return GetFocus() == GetDlgItem(hwnd_, IDC_COMMAND2) ? IDC_COMMAND2 : IDC_COMMAND1;
}

void frmTarnvel::showDefaultButton() {
    const int defaultId = defaultButtonId();
    for (const int id : {IDC_COMMAND1, IDC_COMMAND2}) {
        HWND button = GetDlgItem(hwnd_, id);
        const LONG type = id == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) != type)
            SendMessageW(button, BM_SETSTYLE, static_cast<WPARAM>(type), TRUE);
    }
}

void frmTarnvel::restoreFocus() {
    HWND target = focusWhileInactive_;
    if (!target || !IsChild(hwnd_, target) || !IsWindowEnabled(target))
        target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target) SetFocus(target);
}

void frmTarnvel::onCommand(int id) {
    if (cut_) {
        // Esc, as IsDialogMessage turns it into a command.
        if (id == IDCANCEL) cut_->askToStop(false);
        return;
    }
    switch (id) {
    case IDC_COMMAND1: Command1_Click(); break;
    case IDC_COMMAND2: Command2_Click(); break;
    case IDM_LOOKREADEME: mnuLookReadeMe_Click(); break;
    case IDM_VERSION: mnuVersion_Click(); break;
    default: break;
    }
}

void frmTarnvel::Command2_Click() {
    const std::vector<wchar_t> previous = fileName_;
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFile = fileName_.data();
    dialog.nMaxFile = static_cast<DWORD>(fileName_.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    BOOL chosen = FALSE;
    {
        // Back in its folder before anything else happens, a box included.
        const CurrentDirectoryGuard keepCurrentDirectory;
        chosen = GetOpenFileNameW(&dialog);
        // The dialog refuses to start from a name it cannot take (one longer
        // than it handles): it starts afresh rather than not at all.
        const DWORD refusal = chosen ? 0 : CommDlgExtendedError();
        if (previous[0] != L'\0' && (refusal == FNERR_BUFFERTOOSMALL || refusal == FNERR_INVALIDFILENAME)) {
            std::fill(fileName_.begin(), fileName_.end(), L'\0');
            chosen = GetOpenFileNameW(&dialog);
        }
    }
    // A cancelled dialog keeps the earlier name, which is measured again.
    if (!chosen) fileName_ = previous;
    chooseSource(utf16(fileName_.data()));
}

void frmTarnvel::onDropFiles(HDROP drop) {
    const DroppedFiles files(drop);
    // A disabled window is behind a modal box or dialog, which the drop must not slip past.
    if (cut_ || !IsWindowEnabled(hwnd_)) return;
    if (const std::optional<std::wstring> path = firstDroppedFile(files.get())) takePath(*path);
}

Measurement frmTarnvel::takePath(const std::wstring& path) {
    if (path.size() >= fileName_.size()) {
        Measurement tooLong;
        tooLong.info.path = utf16(path);
        tooLong.error = ERROR_FILENAME_EXCED_RANGE;
        return tooLong;
    }
    // The next open dialog starts from this file, as after choosing it there.
    std::fill(std::copy(path.begin(), path.end(), fileName_.begin()), fileName_.end(), L'\0');
    return chooseSource(utf16(path));
}

void frmTarnvel::start(const std::variant<StartOptions, MessageNotice>& arguments) {
    if (const auto* notice = std::get_if<MessageNotice>(&arguments)) {
        showNotice(hwnd_, *notice);
        return;
    }
    const auto& options = std::get<StartOptions>(arguments);
    restarted_ = options.restarted;
    setText(hwnd_, IDC_TEXT1, options.sizeText);
    if (options.sourcePath.empty()) return;
    // No dialog was seen to fail, so a source that cannot be measured is named.
    if (const auto notice = startSourceNotice(takePath(wide(options.sourcePath)))) showNotice(hwnd_, *notice);
}

Measurement frmTarnvel::chooseSource(const std::u16string& path) {
    setText(hwnd_, IDC_LABEL1, path);
    Measurement measurement = measureSource(path);
    const SelectionDisplay display = displayAfterChoosing(measurement);
    setText(hwnd_, IDC_LABEL3, display.sizeText);
    setText(hwnd_, IDC_LABEL5, display.rangeText);
    selection_ = display.state;
    if (display.notice) showNotice(hwnd_, *display.notice);
    return measurement;
}

void frmTarnvel::Command1_Click() {
    const auto checked = validateCutRequest(utf16(fileName_.data()), utf16(windowText(GetDlgItem(hwnd_, IDC_TEXT1))),
                                            selection_.lngMaxBlocks, selection_.strExt);
    if (const auto* notice = std::get_if<MessageNotice>(&checked)) {
        showNotice(hwnd_, *notice);
        return;
    }
    const auto& request = std::get<CutRequest>(checked);

    const std::u16string output = outputPathFor(request.strExt);
    bool closeAfter = false;
    {
        CutSession cut(hwnd_, progressBar_, output, cut_);
        if (cut.refused()) {
            showNotice(hwnd_, {words::outputBeingWritten(output), NoticeIcon::Exclamation, words::kErrorTitle});
            return;
        }
        const CutOutcome outcome = runHeadCut(request, cut.sink(), output, cut.controls());
        cut.copyOver();
        const bool restarted = cut.reportWanted() && reportCut(request, outcome, output);
        closeAfter = restarted || cut.closeRequested();
    }
    if (closeAfter) DestroyWindow(hwnd_);
}

bool frmTarnvel::reportCut(const CutRequest& request, const CutOutcome& outcome, const std::u16string& output) {
    CreateFailureFacts facts{outcome.end, outcome.error};
    facts.restarted = restarted_;
    facts.obstacleAtOutput = folderOrReadOnlyAt(output);
    readElevation(facts);
    switch (rightsAdviceFor(facts)) {
    case RightsAdvice::None: showNotice(hwnd_, outcome.notice); return false;
    case RightsAdvice::NeedsAdministrator: showNotice(hwnd_, needsAdministratorNotice(outcome, output)); return false;
    case RightsAdvice::OfferRestart: break;
    }
    const std::wstring question = wide(elevatedRestartQuestion(outcome, output));
    if (MessageBoxW(hwnd_, question.c_str(), wide(words::kErrorTitle).c_str(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return false;

    // What validation accepted, so the new window starts from the same request.
    const StartOptions carried{pathForElevatedProcess(request.sourcePath), decimalText(request.blocks), true};
    const SystemError error = restartElevated(hwnd_, carried);
    // Declining Windows' prompt is an answer, not a failure.
    if (error != kNoError && error != ERROR_CANCELLED)
        showNotice(hwnd_, {words::cannotRestartAsAdministrator(systemErrorText(error)), NoticeIcon::Exclamation,
                           words::kErrorTitle});
    return error == kNoError;
}

void frmTarnvel::mnuLookReadeMe_Click() { openReadme(hwnd_); }

void frmTarnvel::mnuVersion_Click() { frmAbout::showModal(hwnd_, dpi_); }

}  // namespace tarnvel::ui
