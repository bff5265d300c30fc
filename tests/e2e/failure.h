#pragma once
// Cuts that cannot be done: each is reported and leaves the window usable.

#include "fixture.h"

namespace e2e {

// The system's words for an error, as FormatMessageW gives them.
inline std::wstring systemText(DWORD error) {
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"";
    LocalFree(buffer);
    while (!text.empty() && wcschr(L"\r\n ", text.back())) text.pop_back();
    return text;
}

inline std::string systemReason(DWORD error) {
    std::wstring reason = systemText(error);
    while (!reason.empty() && reason.back() == L'.') reason.pop_back();
    return utf8(reason);
}

// The reason with its number, the way the window words it.
inline std::string numberedReason(DWORD error) {
    return utf8(systemText(error)) + "（エラー番号 " + std::to_string(error) + "）";
}

// What the report tells the user to do next.
inline const std::string kMoveWhatIsInTheWay =
    "同じ名前のフォルダーか読み取り専用のファイルが C:\\ にあります。"
    "それを移すか名前を変えてから、もう一度「Cut開始」を押してください。";
inline const std::string kCloseTheOtherProgram =
    "ほかのプログラムがこのファイルを使っています。"
    "そのプログラムでファイルを閉じてから、もう一度「Cut開始」を押してください。";

inline void expectReport(const Box& box, const std::wstring& file, DWORD error) {
    EXPECT_EQ(box.caption, "エラー");
    EXPECT_TRUE(box.icon);
    EXPECT_NE(box.text.find(utf8(file)), std::string::npos) << box.text << "\nshould name " << utf8(file);
    EXPECT_NE(box.text.find(systemReason(error)), std::string::npos)
        << box.text << "\nshould give the reason " << systemReason(error);
}

// The buttons come back only after the box has returned, a moment after it vanished.
inline void expectUsable(const App& app) {
    waitUntil([&] { return app.enabled(IDC_COMMAND1) && app.enabled(IDC_COMMAND2); }, kWaitMs);
    EXPECT_TRUE(app.enabled(IDC_COMMAND1));
    EXPECT_TRUE(app.enabled(IDC_COMMAND2));
    EXPECT_EQ(app.barPos(), 1 * kScale);
    EXPECT_FALSE(app.findBox()) << "a second box followed the report";
}

class Failure : public TarnvelTest {
protected:
    void expectUsable() { e2e::expectUsable(app); }
};

}  // namespace e2e
