#pragma once
// Calls the program cannot start without. Each is checked where it is made and
// its code read at once; a failure is shown in a box of its own (there may be
// no window to own it) and ends the program with exit code 1.

#include <string>
#include <string_view>

#include "tarnvel/file_io.h"

namespace tarnvel::ui {

// What failed and the system's code for it, taken right after the call.
struct CallFailure {
    const char16_t* what = nullptr;
    SystemError code = kNoError;
    explicit operator bool() const { return what != nullptr; }
};

std::u16string startFailureText(const CallFailure& failure);
[[noreturn]] void failStart(const CallFailure& failure);
// For a call just made: its code is read before anything else runs.
[[noreturn]] void failStart(const char16_t* what);

}  // namespace tarnvel::ui
