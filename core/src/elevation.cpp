#include "tarnvel/elevation.h"
#include "tarnvel/words.h"

namespace tarnvel {

bool offersElevatedRestart(const CreateFailureFacts& facts) {
    const bool rightsMissing = facts.error == kAccessDenied || facts.error == kPrivilegeNotHeld;
    return facts.end == CutEnd::CreateOutput && rightsMissing && !facts.elevated && !facts.obstacleAtOutput;
}

std::u16string elevatedRestartQuestion(const CutOutcome& outcome, std::u16string_view outputPath) {
    return words::restartAsAdministratorQuestion(outcome.notice.prompt, outputPath);
}

}  // namespace tarnvel
