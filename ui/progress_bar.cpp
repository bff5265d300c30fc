#include "progress_bar.h"

#include <commctrl.h>

#include <cmath>

#include "control_ids.h"
#include "message_pump.h"

namespace tarnvel::ui {

namespace {

// Every bound the progress scale produces is a multiple of 1/128.
int scaled(float value) { return static_cast<int>(std::lround(value * TARNVEL_PROGRESS_SCALE)); }

constexpr int kLowerBound = TARNVEL_PROGRESS_SCALE;  // scaled(1)

}  // namespace

void ProgressBar::attach(HWND bar) {
    bar_ = bar;
    SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kLowerBound), scaled(100));
    pending_ = shown_ = kLowerBound;
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(kLowerBound), 0);
}

void ProgressBar::setUpperBound(float upper) {
    upper_ = scaled(upper);
    SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kLowerBound), upper_);
    // The first pass of a cut runs at once, so input queued before it is
    // seen while the cut is running.
    lastPump_ = {};
}

void ProgressBar::setPosition(float position) {
    pending_ = scaled(position);
    // The ends are shown without waiting a frame: a full bar while the output
    // is closed, an empty one once the cut is over.
    if (pending_ == kLowerBound || pending_ == upper_) draw();
}

void ProgressBar::letPendingEventsRun() {
    const auto now = Clock::now();
    if (now - lastPump_ < kFrame) return;
    lastPump_ = now;
    draw();
    pumpPendingMessages();
}

void ProgressBar::draw() {
    if (pending_ == shown_) return;
    if (pending_ == upper_ && upper_ > kLowerBound) {
        // A themed bar animates towards a higher position but jumps to a lower one,
        // so the full bar is reached from one step beyond, in a range widened for it.
        SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kLowerBound), upper_ + 1);
        SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(upper_ + 1), 0);
        SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(kLowerBound), upper_);
    }
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(pending_), 0);
    shown_ = pending_;
}

}  // namespace tarnvel::ui
