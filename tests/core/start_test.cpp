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
        {{u"D:\\a.ts", u"--size=4", u"--restarted"}, {u"D:\\a.ts", u"4", true}},
        {{u"--restarted"}, {u"", u"", true}},
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
        {u"--restarted=1"},
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
    const StartOptions options{u"C:\\動画 フォルダ\\clip\\\"x\\.mpg", u"1234", true};
    EXPECT_TRUE(startCommandLine(options).ends_with(u" --restarted"));
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

TEST(ElevatedRestart, IsOfferedOnlyWhereItCanHelpAndNeverTwice) {
    using enum ElevationType;
    using enum RightsAdvice;
    const CutEnd create = CutEnd::CreateOutput;
    struct Case {
        CreateFailureFacts facts;
        RightsAdvice advice;
    };
    // Unnamed facts keep their defaults: not elevated, UAC on, elevation not
    // denied by policy, not a restart, nothing in the way.
    const Case cases[] = {
        {{.end = create, .error = kAccessDenied, .elevationType = Limited}, OfferRestart},
        {{.end = create, .error = kPrivilegeNotHeld, .elevationType = Limited}, OfferRestart},
        // A standard user: Windows asks for an administrator's credentials.
        {{.end = create, .error = kAccessDenied, .elevationType = Default}, OfferRestart},
        // UAC off: no prompt, "runas" would start the same rights again.
        {{.end = create, .error = kAccessDenied, .elevationType = Default, .uacEnabled = false}, NeedsAdministrator},
        {{.end = create, .error = kPrivilegeNotHeld, .elevationType = Default, .uacEnabled = false},
         NeedsAdministrator},
        // Policy denies standard users elevation: Windows would refuse unasked.
        {{.end = create, .error = kAccessDenied, .elevationType = Default, .standardUserElevationDenied = true},
         NeedsAdministrator},
        {{.end = create, .error = kPrivilegeNotHeld, .elevationType = Default, .standardUserElevationDenied = true},
         NeedsAdministrator},
        // ...but binds no administrator, whose own prompt still comes.
        {{.end = create, .error = kAccessDenied, .elevationType = Limited, .standardUserElevationDenied = true},
         OfferRestart},
        {{.end = create,
          .error = kAccessDenied,
          .elevationType = Default,
          .standardUserElevationDenied = true,
          .restarted = true},
         None},
        {{.end = create,
          .error = kAccessDenied,
          .elevationType = Default,
          .standardUserElevationDenied = true,
          .obstacleAtOutput = true},
         None},
        // Restarted already.
        {{.end = create, .error = kAccessDenied, .elevationType = Limited, .restarted = true}, None},
        {{.end = create, .error = kAccessDenied, .elevationType = Default, .restarted = true}, None},
        {{.end = create, .error = kAccessDenied, .elevationType = Default, .uacEnabled = false, .restarted = true},
         None},
        // Already administrator; with UAC off; the built-in Administrator.
        {{.end = create, .error = kAccessDenied, .elevationType = Full, .elevated = true}, None},
        {{.end = create, .error = kAccessDenied, .elevationType = Full, .elevated = true, .restarted = true}, None},
        {{.end = create, .error = kAccessDenied, .elevationType = Default, .elevated = true, .uacEnabled = false},
         None},
        {{.end = create, .error = kAccessDenied, .elevationType = Default, .elevated = true}, None},
        // A read-only file or a folder there refuses administrators too.
        {{.end = create, .error = kAccessDenied, .elevationType = Limited, .obstacleAtOutput = true}, None},
        {{.end = create,
          .error = kAccessDenied,
          .elevationType = Default,
          .uacEnabled = false,
          .obstacleAtOutput = true},
         None},
        // Not a matter of rights: in use by another program, no such folder.
        {{.end = create, .error = 32, .elevationType = Limited}, None},
        {{.end = create, .error = 3, .elevationType = Limited}, None},
        {{.end = create, .error = 3, .elevationType = Default, .uacEnabled = false}, None},
        // Not the creation: a full disk; rights that were there at creation;
        // the source, not C:\ .
        {{.end = CutEnd::Write, .error = 112, .elevationType = Limited}, None},
        {{.end = CutEnd::Write, .error = kAccessDenied, .elevationType = Limited}, None},
        {{.end = CutEnd::OpenSource, .error = kAccessDenied, .elevationType = Limited}, None},
        {{.end = CutEnd::OpenSource, .error = kAccessDenied, .elevationType = Default, .uacEnabled = false}, None},
        {{.end = CutEnd::Done, .error = kNoError, .elevationType = Limited}, None},
        // An old output still being removed refuses administrators too.
        {{.end = CutEnd::OldOutputBeingRemoved, .error = kAccessDenied, .elevationType = Limited}, None},
        {{.end = CutEnd::OldOutputBeingRemoved, .error = kAccessDenied, .elevationType = Default}, None},
    };
    for (const Case& c : cases) {
        const CreateFailureFacts& f = c.facts;
        EXPECT_EQ(rightsAdviceFor(f), c.advice)
            << "end " << static_cast<int>(f.end) << ", error " << f.error << ", type "
            << static_cast<int>(f.elevationType) << ", elevated " << f.elevated << ", UAC " << f.uacEnabled
            << ", denied by policy " << f.standardUserElevationDenied << ", restarted " << f.restarted << ", obstacle "
            << f.obstacleAtOutput;
    }

    const CutOutcome refused{
        {u"出力ファイルを作成できません。", NoticeIcon::Exclamation, words::kErrorTitle}, create, kAccessDenied};
    const MessageNotice notice = needsAdministratorNotice(refused, u"C:\\tarnvel.mpg");
    EXPECT_TRUE(notice.prompt.starts_with(refused.notice.prompt + u"\n\nC:\\tarnvel.mpg を作るには"));
    EXPECT_EQ(notice.prompt.find(u"起動し直しますか"), std::u16string::npos) << "no offer without a restart";
    EXPECT_EQ(notice.shownTitle(), words::kErrorTitle);
}

}  // namespace
}  // namespace tarnvel
