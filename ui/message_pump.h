#pragma once

#include <windows.h>

namespace tarnvel::ui {

// F1 in a top-level window of the program, posted to that window.
inline constexpr UINT kHelpKeyPressed = WM_APP + 0x40;

// Tab, Enter and Esc work in every top-level window of the program.
void dispatch(MSG& message);

// Runs what is already queued and returns; a quit request is put back for
// the outer loop, and true says one was seen.
bool pumpPendingMessages();

int runMessageLoop();

}  // namespace tarnvel::ui
