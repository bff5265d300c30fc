#pragma once
// The cut's progress on the taskbar button (Windows 7 and later), and a flash
// when it ends behind other windows. Where the shell offers no taskbar list
// (Wine stubs it), only the flash remains and the cut runs as without it.

#include <windows.h>
#include <shobjidl.h>

#include "tarnvel/head_cut.h"
#include "win32_owners.h"

namespace tarnvel::ui {

class TaskbarProgress final : public CutIndicator {
public:
    explicit TaskbarProgress(HWND window);
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    void showProgress(std::int32_t blocksDone, std::int32_t blocks) override;
    void clearProgress() override;
    void flashIfInBackground() override;
    // Yellow while the cut waits for an answer.
    void setPaused(bool paused);

private:
    HWND window_;
    // In this order, so the list is released before the apartment is left.
    ComApartment apartment_;
    ComPtr<ITaskbarList3> list_;
};

}  // namespace tarnvel::ui
