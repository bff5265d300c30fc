#pragma once

#include <gtest/gtest.h>

#include "control_ids.h"
#include "driver.h"
#include "files.h"
#include "tarnvel/progress_scale.h"

namespace e2e {

inline const Box kNoFile{"エラー", "ファイルが指定されていません。", true};
inline const Box kNoSize{"エラー", "作成ファイルサイズが指定されていません。\n指定可能範囲内で入力してください。",
                         true};
inline const Box kOutOfRange{"エラー", "範囲外の整数が指定されました。", true};
inline const Box kDone{"Tarnvel", "完了。", false};

// Stopping a cut, and a cut that does not fit on C:.
inline std::string partialOutput(const std::wstring& output) { return "作成途中の作成ファイル " + utf8(output); }
inline Box stopQuestion(const std::wstring& output) {
    return {"Tarnvel",
            "Cut を中止しますか？\n" + partialOutput(output) +
                " は削除されます。\nCut を続けるには「いいえ」を選んでください。",
            true};
}
inline Box stopAndCloseQuestion(const std::wstring& output) {
    return {"Tarnvel",
            "Cut を中止して Tarnvel を終了しますか？\n" + partialOutput(output) +
                " は削除されます。\nCut を続けるには「いいえ」を選んでください。",
            true};
}
inline Box cutStopped(const std::wstring& output) {
    return {"Tarnvel",
            "Cut を中止しました。\n" + partialOutput(output) +
                " は削除しました。\n作り直すには、もう一度「Cut開始」を押してください。",
            false};
}
inline Box noRoom(const std::wstring& output, unsigned long long needed, unsigned long long free) {
    return {"エラー",
            "作成ファイル " + utf8(output) + " を作れません。C: ドライブの空きが足りません。\n必要な大きさ: " +
                std::to_string(needed) + "Byte\nC: ドライブの空き: " + std::to_string(free) +
                "Byte\nいらないファイルを削除して空きを増やすか、作成ファイルサイズを小さくしてください。",
            true};
}

inline constexpr long kScale = tarnvel::kProgressFixedPoint;

// Every test gets its own scratch folder and a freshly started program
// (declared in this order, so the program ends before its files go).
class TarnvelTest : public ::testing::Test {
protected:
    std::wstring writeSource(const std::string& name, const Bytes& bytes) {
        std::wstring path = scratch / name;
        writeBytes(path, bytes);
        return path;
    }

    Scratch scratch;
    App app;
};

}  // namespace e2e
