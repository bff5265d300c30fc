#pragma once
// ProgressBar1. The cut sets a position for every block; the bar is redrawn
// only in the window's event passes, because under Wine each message to the
// control costs tens of microseconds and a cut may have two million blocks.

#include <windows.h>

#include <cstdint>

namespace tarnvel::ui {

class ProgressBar {
public:
    ProgressBar() = default;
    void attach(HWND bar);

    void setUpperBound(std::int32_t barUpper);
    void setPosition(std::int32_t barPosition);
    // Shows the last position set, if the bar does not show it yet.
    void draw();
    // Yellow while a stopped cut waits for its drive to give the read back.
    void showStopping(bool stopping);

private:
    HWND bar_ = nullptr;
    std::int32_t upper_ = 0;
    std::int32_t pending_ = 0;
    std::int32_t shown_ = 0;
};

}  // namespace tarnvel::ui
