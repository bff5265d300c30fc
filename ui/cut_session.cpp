#include "cut_session.h"

#include "control_ids.h"
#include "tarnvel/words.h"
#include "win32_support.h"

namespace tarnvel::ui {

CutSession::CutSession(HWND window, ProgressBar& bar, std::u16string_view output, CutSession*& current)
    : window_(window),
      bar_(bar),
      output_(output),
      current_(current),
      claim_(std::in_place, output),
      refused_(claim_->heldElsewhere()),
      pass_(bar),
      taskbar_(window) {
    if (refused_) return;
    current_ = this;
    copying_ = true;
    // A disabled button drops the focus; it goes back where it was.
    focusBefore_ = GetFocus();
    enableControls(false);
    ShutdownBlockReasonCreate(window_, wide(words::kShutdownBlockReason).c_str());
}

CutSession::~CutSession() {
    if (refused_) return;
    copyOver();
    if (stop_.requested()) bar_.showStopping(false);
    enableControls(true);
    if (focusBefore_ && IsWindow(focusBefore_)) SetFocus(focusBefore_);
    current_ = nullptr;
}

void CutSession::copyOver() {
    if (!copying_) return;
    copying_ = false;
    ShutdownBlockReasonDestroy(window_);
    claim_.reset();
}

void CutSession::enableControls(bool enable) const {
    EnableWindow(GetDlgItem(window_, IDC_COMMAND1), enable);
    EnableWindow(GetDlgItem(window_, IDC_COMMAND2), enable);
    EnableMenuItem(GetMenu(window_), 0, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(window_);
}

void CutSession::askToStop(bool thenClose) {
    if (copying_ && stop_.requested() && thenClose) closeRequested_ = true;
    if (!copying_ || stop_.requested() || askingToStop_) return;
    askingToStop_ = true;
    taskbar_.setPaused(true);
    const std::wstring question =
        wide(thenClose ? words::stopCutAndCloseQuestion(output_) : words::stopCutQuestion(output_));
    // いいえ is the default: an Enter meant for something else must not throw a long cut away.
    const int answer = MessageBoxW(window_, question.c_str(), wide(words::kAppTitle).c_str(),
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    askingToStop_ = false;
    if (answer != IDYES) {
        taskbar_.setPaused(false);
        return;
    }
    if (thenClose) closeRequested_ = true;
    stop_.request();
    // Until the cut has stopped, which a read still pending on a share that
    // is gone can make last as long as Windows' own time-out.
    bar_.showStopping(true);
}

void CutSession::endOfSession() {
    if (!copying_) return;
    closeRequested_ = sessionEnded_ = true;
    stop_.requestAndRemoveOutputNow();
}

bool CutSession::reportWanted() const {
    if (sessionEnded_) return false;
    const bool leftBehind = GetFileAttributesW(wide(output_).c_str()) != INVALID_FILE_ATTRIBUTES;
    return !closeRequested_ || leftBehind;
}

}  // namespace tarnvel::ui
