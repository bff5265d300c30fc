#pragma once

#include "tarnvel/file_io.h"

namespace tarnvel::ui {

// What failed and the system's code for it, taken right after the call.
struct CallFailure {
    const char16_t* what = nullptr;
    SystemError code = kNoError;
    explicit operator bool() const { return what != nullptr; }
};

}  // namespace tarnvel::ui
