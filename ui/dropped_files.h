#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

namespace tarnvel::ui {

// The files of one WM_DROPFILES; the drop is finished when this goes.
class DroppedFiles {
public:
    explicit DroppedFiles(HDROP drop) : drop_(drop) {}
    ~DroppedFiles() { DragFinish(drop_); }
    DroppedFiles(const DroppedFiles&) = delete;
    DroppedFiles& operator=(const DroppedFiles&) = delete;

    std::optional<std::wstring> first() const;

private:
    HDROP drop_;
};

// Lets a non-elevated Explorer drop onto the window when the program runs as
// administrator, which writing to C:\ often needs.
void acceptDroppedFiles(HWND window);

}  // namespace tarnvel::ui
