#include "tarnvel/elevation.h"

namespace tarnvel {

bool offersElevatedRestart(const CreateFailureFacts& facts) {
    const bool rightsMissing = facts.error == kAccessDenied || facts.error == kPrivilegeNotHeld;
    return facts.end == CutEnd::CreateOutput && rightsMissing && !facts.elevated && !facts.obstacleAtOutput;
}

std::u16string elevatedRestartQuestion(const CutOutcome& outcome, std::u16string_view outputPath) {
    return outcome.notice.prompt + u"\n\n" + std::u16string(outputPath) +
           u" を作るには、C:\\ の直下にファイルを作成する管理者の権限が必要です。\n"
           u"Tarnvelを管理者として起動し直しますか？\n"
           u"選んだファイルと作成ファイルサイズは引き継がれます。";
}

}  // namespace tarnvel
