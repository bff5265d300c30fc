#include "tarnvel/words.h"

#include "tarnvel/text.h"

namespace tarnvel::words {

namespace {

std::u16string lines(std::initializer_list<std::u16string_view> parts) {
    std::u16string text;
    for (const std::u16string_view part : parts) {
        if (!text.empty()) text += u'\n';
        text += part;
    }
    return text;
}

std::u16string stopQuestion(std::u16string_view question, std::u16string_view output) {
    return lines({question, u"作成途中の作成ファイル " + std::u16string(output) + u" は削除されます。",
                  u"Cut を続けるには「いいえ」を選んでください。"});
}

}  // namespace

std::u16string sourceSize(std::int64_t bytes) { return decimalText(bytes) + u"Byte"; }

std::u16string permittedRange(std::int32_t maxBlocks) { return u"2～" + decimalText(maxBlocks); }

std::u16string sourceTooLarge(std::int64_t maxBytes) {
    return u"ファイルが大きすぎます。\n扱えるのは " + decimalText(maxBytes) + u"Byte までです。";
}

std::u16string startSourceUnmeasurable(std::u16string_view path, std::u16string_view reason) {
    return lines({u"起動時に指定されたファイルを調べられません。", path, reason,
                  u"ファイルがあるか、開けるかを確かめて、「ファイル指定」で選び直してください。"});
}

std::u16string unusableExtension(std::u16string_view output) {
    return lines({u"作成ファイルの名前が C:\\ の直下のファイル名になりません。", output,
                  u"作成ファイルの拡張子には選んだファイルの名前の最後の 3～4 文字を使いますが、"
                  u"そこに \\ / : * ? \" < > | や制御文字があるか、点か空白で終わっています。",
                  u"ファイル名を .mpg のような拡張子で終わる名前に変えてから、選び直してください。"});
}

std::u16string adviceText(Advice next) {
    switch (next) {
    case Advice::MoveWhatIsInTheWay:
        return u"同じ名前のフォルダーか読み取り専用のファイルが C:\\ にあります。"
               u"それを移すか名前を変えてから、もう一度「Cut開始」を押してください。";
    case Advice::FreeSpaceOnC:
        return u"C: ドライブの空きが足りません。"
               u"いらないファイルを削除して空きを増やすか、作成ファイルサイズを小さくしてください。";
    case Advice::CloseTheOtherProgram:
        return u"ほかのプログラムがこのファイルを使っています。"
               u"そのプログラムでファイルを閉じてから、もう一度「Cut開始」を押してください。";
    case Advice::ReconnectTheSourceDrive:
        return u"対象ファイルのあるドライブが取り外されたか、接続が切れています。"
               u"ドライブをつなぎ直してから、もう一度「ファイル指定」で選んでください。";
    case Advice::None: break;
    }
    return {};
}

std::u16string cutFailed(std::u16string_view what, std::u16string_view file, std::u16string_view reason, Advice next) {
    std::u16string text = lines({what, file, reason});
    if (next != Advice::None) text += u"\n\n" + adviceText(next);
    return text;
}

std::u16string sourceIsOutput(std::u16string_view output) {
    return lines({u"対象ファイルと作成ファイルが同じです。", output,
                  u"対象ファイルを守るため、Cut を中止しました。別のファイルを選んでください。"});
}

std::u16string sourceEndedEarly(std::u16string_view source, std::int64_t bytesCopied, std::u16string_view output) {
    return lines({u"対象ファイルが途中で終わりました。", source,
                  decimalText(bytesCopied) + u"Byte だけを " + std::u16string(output) + u" にコピーしました。",
                  u"選んだあとでファイルが短くなったようです。もう一度「ファイル指定」で選び直してください。"});
}

std::u16string outputBeingWritten(std::u16string_view output) {
    return lines({kCannotCreateOutput, output, u"別の Tarnvel の Cut がこのファイルに書き込んでいます。",
                  u"その Cut が終わってから、もう一度「Cut開始」を押してください。"});
}

std::u16string oldOutputStillBeingRemoved(std::u16string_view output) {
    return lines({kCannotCreateOutput, output,
                  u"同じ名前の前のファイルが、まだ削除し終わっていません。"
                  u"ウイルス対策ソフトなど、ほかのプログラムがそのファイルを開いています。",
                  u"少し待ってから、もう一度「Cut開始」を押してください。"});
}

std::u16string cutStoppedUnexpectedly(Unexpected what) {
    if (what == Unexpected::OutOfMemory)
        return lines(
            {u"Cut できませんでした。", u"メモリが足りません。ほかのプログラムを閉じてから、もう一度お試しください。"});
    return lines(
        {u"Cut できませんでした。", u"思いがけない問題が起きました。Tarnvel を起動し直して、もう一度お試しください。"});
}

std::u16string stopCutQuestion(std::u16string_view output) { return stopQuestion(u"Cut を中止しますか？", output); }

std::u16string stopCutAndCloseQuestion(std::u16string_view output) {
    return stopQuestion(u"Cut を中止して Tarnvel を終了しますか？", output);
}

std::u16string cutStopped(std::u16string_view output, bool outputRemoved) {
    return lines({u"Cut を中止しました。",
                  outputRemoved ? u"作成途中の作成ファイル " + std::u16string(output) + u" は削除しました。"
                                : partialOutputLeft(output),
                  u"作り直すには、もう一度「Cut開始」を押してください。"});
}

std::u16string cutStoppedBeforeWriting() {
    return lines({u"Cut を中止しました。", u"作り直すには、もう一度「Cut開始」を押してください。"});
}

std::u16string partialOutputLeft(std::u16string_view output) {
    return lines({u"作成途中の作成ファイル " + std::u16string(output) + u" を削除できませんでした。",
                  u"不要であれば、エクスプローラーで削除してください。"});
}

std::u16string outputDoesNotFit(std::u16string_view output, std::uint64_t bytesNeeded, std::uint64_t bytesFree) {
    return lines({u"作成ファイル " + std::u16string(output) + u" を作れません。C: ドライブの空きが足りません。",
                  u"必要な大きさ: " + decimalText(static_cast<std::int64_t>(bytesNeeded)) + u"Byte",
                  u"C: ドライブの空き: " + decimalText(static_cast<std::int64_t>(bytesFree)) + u"Byte",
                  u"いらないファイルを削除して空きを増やすか、作成ファイルサイズを小さくしてください。"});
}

std::u16string systemReason(std::u16string_view description, std::uint32_t code) {
    const std::u16string_view shown = description.empty() ? u"このエラーの説明はありません。" : description;
    return std::u16string(shown) + u"（エラー番号 " + decimalText(code) + u"）";
}

std::u16string restartAsAdministratorQuestion(std::u16string_view failure, std::u16string_view output) {
    return std::u16string(failure) + u"\n\n" + std::u16string(output) +
           u" を作るには、C:\\ の直下にファイルを作成する管理者の権限が必要です。\n"
           u"Tarnvel を管理者として起動し直しますか？\n"
           u"選んだファイルと作成ファイルサイズは引き継がれます。";
}

std::u16string cannotRestartAsAdministrator(std::u16string_view reason) {
    return lines({u"Tarnvel を管理者として起動できません。", reason});
}

std::u16string needsAdministrator(std::u16string_view failure, std::u16string_view output) {
    return std::u16string(failure) + u"\n\n" + std::u16string(output) +
           u" を作るには、C:\\ の直下にファイルを作成する管理者の権限が必要です。\n"
           u"管理者のアカウントで Windows にサインインしてから、Tarnvel を起動し直してください。";
}

std::u16string commandLineUnreadable(std::u16string_view argument, std::u16string_view why) {
    return lines({u"コマンドラインを読み取れません。", argument, why, u"",
                  u"使い方: Tarnvel.exe [ファイル] [--size=作成ファイルサイズ]"});
}

std::u16string cannotStart(std::u16string_view what, std::u16string_view reason) {
    return lines({u"Tarnvel を起動できません。", what, reason});
}

std::u16string cannotStartEditor(std::u16string_view reason) { return lines({u"メモ帳を起動できません。", reason}); }

std::u16string cannotShowAbout(std::u16string_view what, std::u16string_view reason) {
    return lines({u"バージョン情報を表示できません。", what, reason});
}

}  // namespace tarnvel::words
