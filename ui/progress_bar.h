#pragma once
// ProgressBar1 as the cut sees it. The engine reports every block; the bar is
// redrawn and the queue pumped at most once a frame, because under Wine each
// queue round trip costs tens of microseconds and a cut may have two million
// blocks.

#include <windows.h>

#include <chrono>
#include <cstdint>

#include "tarnvel/cut_types.h"

namespace tarnvel::ui {

class ProgressBar final : public ProgressSink {
public:
    ProgressBar() = default;
    void attach(HWND bar);

    void setUpperBound(std::int32_t barUpper) override;
    void setPosition(std::int32_t barPosition) override;
    void letPendingEventsRun() override;

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kFrame = std::chrono::milliseconds(15);

    void draw();

    HWND bar_ = nullptr;
    std::int32_t upper_ = 0;
    std::int32_t pending_ = 0;
    std::int32_t shown_ = 0;
    Clock::time_point lastPump_{};
};

}  // namespace tarnvel::ui
