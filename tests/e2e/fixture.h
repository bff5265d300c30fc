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
