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

// TOKEN_ELEVATION_TYPE: Limited is the unelevated half of an administrator's
// split token; Default is a token without a linked one: a standard user's,
// the built-in Administrator's, or anyone's with UAC off.
enum class ElevationType { Default = 1, Full = 2, Limited = 3 };

struct CreateFailureFacts {
    CutEnd end = CutEnd::Done;
    SystemError error = kNoError;
    ElevationType elevationType = ElevationType::Default;
    bool elevated = false;   // TokenIsElevated
    bool uacEnabled = true;  // EnableLUA; with UAC off "runas" asks no one
    // ConsentPromptBehaviorUser 0: policy refuses a standard user's requests
    // for elevation without asking. An administrator's limited token is not
    // bound by it.
    bool standardUserElevationDenied = false;
    bool restarted = false;  // this process is the restart an offer made
    // A read-only file or a folder at the output path: administrators are
    // refused there too, so a restart would only fail again.
    bool obstacleAtOutput = false;
};

enum class RightsAdvice {
    None,                // the failure's own notice
    OfferRestart,        // ask whether to restart as administrator
    NeedsAdministrator,  // say that an administrator must run it: a restart could not help
};

// A restarted process never offers again, so a restart that is still refused
// cannot loop; with UAC off "runas" would start another copy with the same
// rights, and where policy denies standard users elevation Windows would
// refuse it unasked, so none is offered there either.
RightsAdvice rightsAdviceFor(const CreateFailureFacts& facts);

// The question that replaces the failure's notice when a restart is offered.
std::u16string elevatedRestartQuestion(const CutOutcome& outcome, std::u16string_view outputPath);
MessageNotice needsAdministratorNotice(const CutOutcome& outcome, std::u16string_view outputPath);

}  // namespace tarnvel
