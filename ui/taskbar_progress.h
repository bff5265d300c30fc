#pragma once
// The cut's progress on the taskbar button (Windows 7 and later), and a flash
// when it ends behind other windows. Where the shell offers no taskbar list
// (Wine stubs it), only the flash remains and the cut runs as without it.

#include <windows.h>
#include <shobjidl.h>

#include "tarnvel/head_cut.h"

namespace tarnvel::ui {

class TaskbarProgress final : public CutIndicator {
public:
    explicit TaskbarProgress(HWND window);
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    void showProgress(std::int32_t blocksDone, std::int32_t blocks) override;
    void clearProgress() override;
    void flashIfInBackground() override;
    // Yellow while the cut waits for an answer.
    void setPaused(bool paused);

private:
    HWND window_;
    bool comStarted_ = false;
    ITaskbarList3* list_ = nullptr;
};

}  // namespace tarnvel::ui
