#pragma once
// Which Tarnvel is writing an output: a named object per output path, held
// for as long as one cut writes it. A delete-pending output answers every
// other open with "access denied", which alone would read as missing rights.

#include <windows.h>

#include <string_view>

#include "tarnvel/busy_output.h"
#include "win32_support.h"

namespace tarnvel::ui {

class OutputClaim {
public:
    explicit OutputClaim(std::u16string_view outputPath);
    OutputClaim(const OutputClaim&) = delete;
    OutputClaim& operator=(const OutputClaim&) = delete;

    // Another Tarnvel, in this session or another, elevated or not, holds it.
    bool heldElsewhere() const { return answer_ == ClaimAnswer::HeldElsewhere; }

private:
    UniqueHandle object_;
    ClaimAnswer answer_ = ClaimAnswer::CannotTell;
};

}  // namespace tarnvel::ui
