#pragma once

#include <windows.h>

namespace tarnvel::ui {

// Tab, Enter and Esc work in every top-level window of the program.
void dispatch(MSG& message);

// Runs what is already queued and returns; a quit request is put back for
// the outer loop.
void pumpPendingMessages();

int runMessageLoop();

}  // namespace tarnvel::ui
