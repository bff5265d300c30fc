#pragma once
// The text editor the readme command starts, for the cases that run it.

#include <windows.h>

namespace e2e {

// Ends the editor that the readme command started, whatever the test's outcome.
struct EditorWindow {
    HWND window = nullptr;
    EditorWindow() = default;
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;
    ~EditorWindow();
};

// A window of another process than Tarnvel's with readme in its title.
HWND findReadmeEditor(DWORD tarnvelPid);

}  // namespace e2e
