#pragma once
// Calls the program cannot start without. Each is checked where it is made and
// its code read at once; a failure is shown in a box of its own (there may be
// no window to own it) and ends the program with exit code 1.

namespace tarnvel::ui {

// For a call just made: its code is read before anything else runs.
[[noreturn]] void failStart(const char16_t* what);

}  // namespace tarnvel::ui
