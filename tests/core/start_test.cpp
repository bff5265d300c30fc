// Starting with a source and a size, and the restart as administrator.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tarnvel/elevation.h"
#include "tarnvel/start_options.h"
#include "tarnvel/words.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace tarnvel {
namespace {

std::string narrow(std::u16string_view text) { return {text.begin(), text.end()}; }

TEST(StartArguments, TakeTheFirstSourceAndOneSize) {
    struct Case {
        std::vector<std::u16string> arguments;
        StartOptions expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{u"C:\\動画\\clip.mpg"}, {u"C:\\動画\\clip.mpg", u""}},
        {{u"--size=500"}, {u"", u"500"}},
        {{u"--size=007", u"D:\\a b\\c.ts"}, {u"D:\\a b\\c.ts", u"007"}},
        {{u"D:\\first.ts", u"D:\\second.ts", u"--size=2"}, {u"D:\\first.ts", u"2"}},
        {{u"", u"D:\\after-empty.ts"}, {u"D:\\after-empty.ts", u""}},
    };
    for (const Case& c : cases) {
        const auto read = readStartArguments(c.arguments);
        ASSERT_TRUE(std::holds_alternative<StartOptions>(read)) << c.arguments.size();
        EXPECT_EQ(std::get<StartOptions>(read), c.expected) << narrow(c.expected.sourcePath);
    }
}

TEST(StartArguments, AnUnreadableLineIsRefusedWholeWithItsArgument) {
    const std::vector<std::u16string> cases[] = {
        {u"--sise=5"},
        {u"--size="},
        {u"--size=1.5"},
        {u"--size=-3"},
        {u"--size=5", u"--size=6"},
        {u"C:\\clip.mpg", u"--verbose"},
    };
    for (const auto& arguments : cases) {
        const auto read = readStartArguments(arguments);
        ASSERT_TRUE(std::holds_alternative<MessageNotice>(read)) << narrow(arguments.back());
        const auto& notice = std::get<MessageNotice>(read);
        EXPECT_EQ(notice.icon, NoticeIcon::Exclamation);
        EXPECT_EQ(notice.shownTitle(), words::kErrorTitle);
        EXPECT_NE(notice.prompt.find(arguments.back()), std::u16string::npos) << narrow(notice.prompt);
    }
}

TEST(StartArguments, QuotingSurvivesWindowsSplitting) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\a b\\clip.mpg", u"\"C:\\a b\\clip.mpg\""},
        {u"\\\\server\\share\\x.ts", u"\"\\\\server\\share\\x.ts\""},
        {u"ends\\", u"\"ends\\\\\""},
        {u"say \"hi\"", u"\"say \\\"hi\\\"\""},
        {u"a\\\"b", u"\"a\\\\\\\"b\""},
        {u"", u"\"\""},
    };
    for (const auto& [argument, quoted] : cases) EXPECT_EQ(quoteArgument(argument), quoted) << narrow(argument);

#ifdef _WIN32
    // The restart's line must come back as the same options through the
    // system's own splitting.
    const StartOptions options{u"C:\\動画 フォルダ\\clip\\\"x\\.mpg", u"1234"};
    const std::u16string line = u"Tarnvel.exe " + startCommandLine(options);
    int count = 0;
    wchar_t** split = CommandLineToArgvW(reinterpret_cast<const wchar_t*>(line.c_str()), &count);
    ASSERT_NE(split, nullptr);
    std::vector<std::u16string> arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(reinterpret_cast<const char16_t*>(split[i]));
    LocalFree(split);
    const auto read = readStartArguments(arguments);
    ASSERT_TRUE(std::holds_alternative<StartOptions>(read));
    EXPECT_EQ(std::get<StartOptions>(read), options);
#endif
}

TEST(ElevatedRestart, IsOfferedOnlyWhenRightsAreWhatIsMissing) {
    struct Case {
        CreateFailureFacts facts;
        bool offered;
    };
    const Case cases[] = {
        {{CutEnd::CreateOutput, kAccessDenied, false, false}, true},
        {{CutEnd::CreateOutput, kPrivilegeNotHeld, false, false}, true},
        {{CutEnd::CreateOutput, kAccessDenied, true, false}, false},  // already administrator
        {{CutEnd::CreateOutput, kAccessDenied, false, true}, false},  // read-only file or folder there
        {{CutEnd::CreateOutput, 32, false, false}, false},            // in use by another program
        {{CutEnd::CreateOutput, 3, false, false}, false},             // no such folder
        {{CutEnd::Write, 112, false, false}, false},                  // disk full
        {{CutEnd::Write, kAccessDenied, false, false}, false},        // rights were there at creation
        {{CutEnd::OpenSource, kAccessDenied, false, false}, false},   // the source, not C:\ .
        {{CutEnd::Done, kNoError, false, false}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(offersElevatedRestart(c.facts), c.offered)
            << "end " << static_cast<int>(c.facts.end) << ", error " << c.facts.error << ", elevated "
            << c.facts.elevated << ", obstacle " << c.facts.obstacleAtOutput;
}

}  // namespace
}  // namespace tarnvel
