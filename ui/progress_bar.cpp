#include "progress_bar.h"

#include <commctrl.h>

#include "tarnvel/progress_scale.h"

namespace tarnvel::ui {

void ProgressBar::attach(HWND bar) {
    bar_ = bar;
    SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kProgressBarLowest), kProgressBarIdleUpper);
    pending_ = shown_ = kProgressBarLowest;
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(kProgressBarLowest), 0);
}

void ProgressBar::setUpperBound(std::int32_t barUpper) {
    upper_ = barUpper;
    SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kProgressBarLowest), upper_);
}

void ProgressBar::setPosition(std::int32_t barPosition) {
    pending_ = barPosition;
    // The ends are shown without waiting a frame: a full bar while the output
    // is closed, an empty one once the cut is over.
    if (pending_ == kProgressBarLowest || pending_ == upper_) draw();
}

void ProgressBar::draw() {
    if (pending_ == shown_) return;
    if (pending_ == upper_ && upper_ > kProgressBarLowest) {
        // A themed bar animates towards a higher position but jumps to a lower one,
        // so the full bar is reached from one step beyond, in a range widened for it.
        SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kProgressBarLowest), upper_ + 1);
        SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(upper_ + 1), 0);
        SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kProgressBarLowest), upper_);
    }
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(pending_), 0);
    shown_ = pending_;
}

void ProgressBar::showStopping(bool stopping) {
    SendMessageW(bar_, PBM_SETSTATE, stopping ? PBST_PAUSED : PBST_NORMAL, 0);
}

}  // namespace tarnvel::ui
