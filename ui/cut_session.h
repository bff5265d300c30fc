#pragma once
// Everything that lives for exactly one cut, from Cut開始 to its report: the
// claim on the output, the event pass, the stop, the taskbar button, the veto
// of a shutdown, and the controls that are off meanwhile with the focus to
// give back.
// The claim and the veto end with the copy; the rest once it is reported.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "event_pass.h"
#include "output_claim.h"
#include "tarnvel/head_cut.h"
#include "taskbar_progress.h"

namespace tarnvel::ui {

class CutSession {
public:
    // Registers itself in current for as long as it lives, unless another
    // Tarnvel is writing the output: then it touches nothing and is refused.
    CutSession(HWND window, ProgressBar& bar, std::u16string_view output, CutSession*& current);
    ~CutSession();
    CutSession(const CutSession&) = delete;
    CutSession& operator=(const CutSession&) = delete;

    bool refused() const { return refused_; }
    // What the cut drives: the bar and the event pass, the stop, the taskbar.
    ProgressSink& sink() { return pass_; }
    CutControls controls() { return {&stop_, &taskbar_}; }
    // True from the start to copyOver(); after it, the end is being reported
    // and the output, closed, is free for another Tarnvel.
    bool copying() const { return copying_; }
    void copyOver();

    // Esc or a close during the copy: asks first, and the copy waits for the
    // answer. Once stopping (a read may take long to give back), a close is
    // carried out when the cut has stopped.
    void askToStop(bool thenClose);
    // A close once the copy is over waits for the report.
    void closeAfterReport() { closeRequested_ = true; }
    // The session ends: the process may end as soon as the message returns.
    void endOfSession();

    bool closeRequested() const { return closeRequested_; }
    // Whoever closed the window has had their answer, unless something was
    // left behind: an output finished after all, or one that could not be
    // removed. At the end of a session no one would read it.
    bool reportWanted() const;

private:
    void enableControls(bool enable) const;

    HWND window_;
    ProgressBar& bar_;
    std::u16string output_;
    CutSession*& current_;
    std::optional<OutputClaim> claim_;
    bool refused_ = false;
    EventPass pass_;
    CutStop stop_;
    TaskbarProgress taskbar_;
    HWND focusBefore_ = nullptr;
    bool copying_ = false;
    bool askingToStop_ = false;
    bool closeRequested_ = false;
    bool sessionEnded_ = false;
};

}  // namespace tarnvel::ui
