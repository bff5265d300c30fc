#pragma once
// When a failed cut is worth retrying as administrator. Creating a file
// directly in C:\ needs administrator rights on a default Windows install,
// even for an administrator's own programs, which run unelevated.

#include <string_view>

#include "tarnvel/head_cut.h"

namespace tarnvel {

// Windows' codes for rights that are missing.
inline constexpr SystemError kAccessDenied = 5;         // ERROR_ACCESS_DENIED
inline constexpr SystemError kPrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD

struct CreateFailureFacts {
    CutEnd end = CutEnd::Done;
    SystemError error = kNoError;
    bool elevated = false;
    // A read-only file or a folder at the output path: administrators are
    // refused there too, so a restart would only fail again.
    bool obstacleAtOutput = false;
};

bool offersElevatedRestart(const CreateFailureFacts& facts);

// The question that replaces the failure's notice when a restart is offered.
std::u16string elevatedRestartQuestion(const CutOutcome& outcome, std::u16string_view outputPath);

}  // namespace tarnvel
