#pragma once
// The window's share of a running cut: the bar the cut moves, and the pass
// in which the window runs its queued events between two chunks. What may
// happen in a pass, and what the cut guards against, is told beside
// runHeadCut in tarnvel/head_cut.h; the cut decides when a pass is due.

#include "progress_bar.h"
#include "tarnvel/cut_types.h"

namespace tarnvel::ui {

class EventPass final : public ProgressSink {
public:
    explicit EventPass(ProgressBar& bar) : bar_(bar) {}

    void setUpperBound(std::int32_t barUpper) override { bar_.setUpperBound(barUpper); }
    void setPosition(std::int32_t barPosition) override { bar_.setPosition(barPosition); }
    // The bar as it stands, then whatever is queued.
    void letPendingEventsRun() override;
    // Sleeps until the read ends or input comes, and runs the input.
    bool letEventsRunUntil(NativeHandle readEnded, std::chrono::milliseconds most) override;

private:
    ProgressBar& bar_;
    // A quit put back in the queue would wake every wait for input at once:
    // from then on the wait is for the read alone, a frame at a time.
    bool quitSeen_ = false;
};

}  // namespace tarnvel::ui
