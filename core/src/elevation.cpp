#include "tarnvel/elevation.h"
#include "tarnvel/words.h"

namespace tarnvel {

RightsAdvice rightsAdviceFor(const CreateFailureFacts& facts) {
    const bool rightsMissing = facts.error == kAccessDenied || facts.error == kPrivilegeNotHeld;
    if (facts.end != CutEnd::CreateOutput || !rightsMissing || facts.obstacleAtOutput) return RightsAdvice::None;
    if (facts.elevated || facts.elevationType == ElevationType::Full || facts.restarted) return RightsAdvice::None;
    if (facts.elevationType == ElevationType::Limited) return RightsAdvice::OfferRestart;
    if (facts.uacEnabled && !facts.standardUserElevationDenied) return RightsAdvice::OfferRestart;
    return RightsAdvice::NeedsAdministrator;
}

std::u16string elevatedRestartQuestion(const CutOutcome& outcome, std::u16string_view outputPath) {
    return words::restartAsAdministratorQuestion(outcome.notice.prompt, outputPath);
}

MessageNotice needsAdministratorNotice(const CutOutcome& outcome, std::u16string_view outputPath) {
    return {words::needsAdministrator(outcome.notice.prompt, outputPath), NoticeIcon::Exclamation, words::kErrorTitle};
}

}  // namespace tarnvel
