#pragma once
// Every text the user reads, once, named for when it is shown. The window and
// the core take their words from here; the end-to-end suite keeps its own
// copy of them, so that a change here is always a deliberate one.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnvel::words {

// Captions.
inline constexpr char16_t kAppTitle[] = u"Tarnvel";  // the main window, and boxes that report no error
inline constexpr char16_t kErrorTitle[] = u"エラー";
inline constexpr char16_t kAboutTitle[] = u"ﾊﾞｰｼﾞｮﾝ情報";

// The main window.
inline constexpr char16_t kChooseFileButton[] = u"ファイル指定";
inline constexpr char16_t kStartCutButton[] = u"Cut開始";
inline constexpr char16_t kSourceSizeLabel[] = u"対象ファイルサイズ";
inline constexpr char16_t kPermittedRangeLabel[] = u"(指定可能範囲)";
inline constexpr char16_t kCutSizeLabel[] = u"作成ファイルサイズ指定";
inline constexpr char16_t kCutSizeUnit[] = u"×1000Byte";
// Never shown: the name screen readers give the progress bar.
inline constexpr char16_t kProgressName[] = u"進行状況";
inline constexpr char16_t kVersionMenu[] = u"バージョン情報";
inline constexpr char16_t kReadmeMenuItem[] = u"readmeを見る";
inline constexpr char16_t kAboutMenuItem[] = u"バージョン情報";

// The About window.
inline constexpr char16_t kAboutProgramName[] = u"Tarnvel";
inline constexpr char16_t kAboutVersion[] = u"Version 1.00";
inline constexpr char16_t kAboutDescription[] = u"Orvane's ソフト";
inline constexpr char16_t kAboutAuthor[] = u"著作者\u3000Orvane";
inline constexpr char16_t kAboutOkButton[] = u"OK";

// Once a source is chosen: "3456789Byte" and "2～3456".
std::u16string sourceSize(std::int64_t bytes);
std::u16string permittedRange(std::int32_t maxBlocks);
std::u16string sourceTooLarge(std::int64_t maxBytes);
// A source from the command line that cannot be measured: the path and why.
std::u16string startSourceUnmeasurable(std::u16string_view path, std::u16string_view reason);
inline constexpr char16_t kNotAFile[] = u"これはファイルではなく、フォルダーかデバイスです。";

// Cut開始 refused before anything is opened.
inline constexpr char16_t kNoFileChosen[] = u"ファイルが指定されていません。";
inline constexpr char16_t kNoCutSize[] =
    u"作成ファイルサイズが指定されていません。\n指定可能範囲内で入力してください。";
inline constexpr char16_t kCutSizeOutOfRange[] = u"範囲外の整数が指定されました。";
// After those three: the output name the source's last characters would give.
std::u16string unusableExtension(std::u16string_view output);

// The end of a cut.
inline constexpr char16_t kCutDone[] = u"完了。";
inline constexpr char16_t kCannotOpenSource[] = u"対象ファイルを開けません。";
inline constexpr char16_t kCannotCreateOutput[] = u"作成ファイルを作れません。";
inline constexpr char16_t kCannotReadSource[] = u"対象ファイルを読み込めません。";
inline constexpr char16_t kCannotWriteOutput[] = u"作成ファイルに書き込めません。";

// What the user can do next about a failed cut, told below the system's reason.
enum class Advice { None, MoveWhatIsInTheWay, FreeSpaceOnC, CloseTheOtherProgram, ReconnectTheSourceDrive };
std::u16string adviceText(Advice next);

// One of the four above, the file it concerns, the system's reason, and what to do.
std::u16string cutFailed(std::u16string_view what, std::u16string_view file, std::u16string_view reason, Advice advice);
std::u16string sourceIsOutput(std::u16string_view output);
std::u16string sourceEndedEarly(std::u16string_view source, std::int64_t bytesCopied, std::u16string_view output);
enum class Unexpected { OutOfMemory, Other };
std::u16string cutStoppedUnexpectedly(Unexpected what);

// Stopping a running cut, and what is left of its output.
std::u16string stopCutQuestion(std::u16string_view output);
std::u16string stopCutAndCloseQuestion(std::u16string_view output);
std::u16string cutStopped(std::u16string_view output, bool outputRemoved);
// Stopped while it waited to create the output: nothing was written.
std::u16string cutStoppedBeforeWriting();
std::u16string partialOutputLeft(std::u16string_view output);
// Shown by Windows beside the program when the user signs out or shuts down during a cut.
inline constexpr char16_t kShutdownBlockReason[] = u"作成ファイルを書き込んでいます。";
// Cut開始 refused before the output is opened: another Tarnvel is cutting into it.
std::u16string outputBeingWritten(std::u16string_view output);
// The output could not be created for a while: an old file of its name is
// still being removed, held open by another program.
std::u16string oldOutputStillBeingRemoved(std::u16string_view output);
// Cut開始 refused before the output is opened: it would not fit on its drive.
std::u16string outputDoesNotFit(std::u16string_view output, std::uint64_t bytesNeeded, std::uint64_t bytesFree);

// The system's description of an error code, or the lack of one, with the number.
std::u16string systemReason(std::u16string_view description, std::uint32_t code);

// When C:\ refuses the output for want of rights.
std::u16string restartAsAdministratorQuestion(std::u16string_view failure, std::u16string_view output);
std::u16string cannotRestartAsAdministrator(std::u16string_view reason);
// The same refusal where no restart can help (UAC is off): who can do it.
std::u16string needsAdministrator(std::u16string_view failure, std::u16string_view output);

// A command line that cannot be read: the argument, why, and the usage.
inline constexpr char16_t kUnknownOption[] = u"この指定は使えません。";
inline constexpr char16_t kSizeGivenTwice[] = u"サイズが二度指定されています。";
inline constexpr char16_t kSizeNotDigits[] = u"サイズは数字だけで指定してください。";
std::u16string commandLineUnreadable(std::u16string_view argument, std::u16string_view why);

// A call the program cannot start without failed: which, and the system's reason.
inline constexpr char16_t kCommonControlsFailed[] = u"コモンコントロールを初期化できません。";
inline constexpr char16_t kRegisterClassFailed[] = u"ウィンドウクラスを登録できません。";
inline constexpr char16_t kCreateWindowFailed[] = u"ウィンドウを作成できません。";
inline constexpr char16_t kCreateFontFailed[] = u"フォントを作成できません。";
inline constexpr char16_t kLoadIconFailed[] = u"アイコンを読み込めません。";
std::u16string cannotStart(std::u16string_view what, std::u16string_view reason);

// readmeを見る.
std::u16string cannotStartEditor(std::u16string_view reason);
// バージョン情報: which call failed (kRegisterClassFailed, kCreateWindowFailed), and the system's reason.
std::u16string cannotShowAbout(std::u16string_view what, std::u16string_view reason);

}  // namespace tarnvel::words
