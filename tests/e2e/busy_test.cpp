// What the window does with clicks, menu picks and a close request that
// arrive while a cut is running. Everything is posted right behind the click
// that starts the cut, so it is already queued when the cut begins.

#include <algorithm>
#include <vector>

#include "failure.h"
#include "tarnvel/busy_output.h"

namespace e2e {
namespace {

// What a Tarnvel is told when the output's claim name is already held.
Box anotherCutIsWriting(const std::wstring& output) {
    return {"エラー",
            "作成ファイルを作れません。\n" + utf8(output) +
                "\n別の Tarnvel の Cut がこのファイルに書き込んでいます。\n"
                "その Cut が終わってから、もう一度「Cut開始」を押してください。",
            true};
}

class Busy : public TarnvelTest {
protected:
    void SetUp() override {
        source = writeSource("長い動画.mpg", bytes);
        app.chooseFile(source);
        app.setSize(kBlocks);
    }

    static inline const std::string kBlocks = "60000";
    const Bytes bytes = pattern(60000500);
    std::wstring source;
};

TEST_F(Busy, ButtonsAndMenuRestWhileTheBarAdvances) {
    app.clickCut();
    app.pickMenuItem(1);

    bool sawBothDisabled = false, sawAbout = false, sawMenuMode = false;
    long highest = 0;
    std::vector<std::string> badPositions;
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!app.findBox() && GetTickCount64() < deadline) {
        if (!app.enabled(IDC_COMMAND1) && !app.enabled(IDC_COMMAND2)) sawBothDisabled = true;
        sawAbout |= findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS) != nullptr;
        sawMenuMode |= inMenuMode(app.main());
        // Falling back to the lower bound is the reset at the end of the cut.
        long pos = app.barPos(), high = app.barHigh();
        if (pos < kScale || pos > high || (pos < highest && pos != kScale))
            badPositions.push_back(std::to_string(pos) + " after " + std::to_string(highest) + " of " +
                                   std::to_string(high));
        highest = std::max(highest, pos);
        Sleep(5);
    }
    const bool stalled = !app.findBox();
    if (stalled)
        for (int i = 0; i < 2; ++i) PostMessageW(app.main(), WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(stalled) << "the cut stood still until the mouse moved";
    EXPECT_FALSE(sawMenuMode) << "the menu opened during the cut";
    EXPECT_EQ(app.dismissBox(), kDone);
    EXPECT_TRUE(sawBothDisabled) << "Cut開始 and ファイル指定 should be disabled during the cut";
    EXPECT_TRUE(badPositions.empty()) << badPositions.front();
    EXPECT_GT(highest, kScale) << "the bar never moved";

    Sleep(1000);
    EXPECT_FALSE(sawAbout || findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS)) << "the menu acted during the cut";
    EXPECT_FALSE(app.findBox());
    EXPECT_TRUE(app.enabled(IDC_COMMAND1));
    EXPECT_TRUE(app.enabled(IDC_COMMAND2));
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 60000000));
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Busy, ASecondClickStartsNoSecondCut) {
    app.clickCut();
    app.clickCut();
    EXPECT_EQ(app.dismissBox(60000), kDone);
    EXPECT_FALSE(waitUntil([&] { return app.findBox() != nullptr; }, 2000)) << "a second cut ran";
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 60000000));
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Busy, ADropDuringTheCutIsIgnored) {
    const std::wstring other = writeSource("別.jpeg", pattern(9000));
    app.clickCut();
    ASSERT_TRUE(waitUntil([&] { return !app.enabled(IDC_COMMAND1); }, kWaitMs)) << "the cut did not start";
    app.dropFiles({other});
    EXPECT_EQ(app.dismissBox(60000), kDone);
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(source));
    EXPECT_EQ(app.text(IDC_LABEL3), "60000500Byte");
    EXPECT_EQ(app.cut("2"), kDone) << "the extension must still be the cut file's";
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 2000));
    EXPECT_FALSE(exists(outputFor(L"jpeg")));
}

TEST_F(Busy, EscAsksWhetherToStopAndOnlyYesStops) {
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(waitUntil([&] { return app.findBox() != nullptr; }, 500)) << "Esc with no cut running asked";

    app.clickCut();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    HWND question = app.waitBox();
    EXPECT_EQ(app.readBox(question), stopQuestion(kOutputMpg));
    app.answerBox(question, IDNO);
    EXPECT_EQ(app.dismissBox(60000), kDone) << "いいえ lets the cut go on to its end";
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 60000000));

    app.clickCut();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    app.answerBox(app.waitBox(), IDYES);
    EXPECT_EQ(app.dismissBox(60000), cutStopped(kOutputMpg));
    EXPECT_FALSE(exists(kOutputMpg)) << "the stopped cut left its output";
    expectUsable(app);
    EXPECT_EQ(app.cut("2"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 2000));
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Busy, ClosingAsksFirstAndNoLetsTheCutFinish) {
    app.clickCut();
    PostMessageW(app.main(), WM_CLOSE, 0, 0);
    HWND question = app.waitBox();
    EXPECT_EQ(app.readBox(question), stopAndCloseQuestion(kOutputMpg));
    app.answerBox(question, IDNO);
    EXPECT_EQ(app.dismissBox(60000), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 60000000));
    EXPECT_FALSE(app.waitExit(1000)) << "いいえ closed the window";
    expectUsable(app);
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Busy, ClosingWithYesStopsTheCutAndEndsTheProgram) {
    app.clickCut();
    PostMessageW(app.main(), WM_CLOSE, 0, 0);
    app.answerBox(app.waitBox(), IDYES);
    ASSERT_TRUE(app.waitExit(60000)) << "the program did not end after the cut stopped";
    EXPECT_EQ(app.exitCode(), 0u);
    EXPECT_FALSE(exists(kOutputMpg)) << "the stopped cut left its output";
    EXPECT_TRUE(holds(source, bytes));
}

// A stop can take as long as a share's time-out to give its read back; a
// close meanwhile must not be lost. Posted behind はい, it comes as the cut stops.
TEST_F(Busy, AClosingWhileTheCutStopsEndsTheProgramOnceItHas) {
    app.clickCut();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    const HWND question = app.waitBox();
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    PostMessageW(app.main(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.waitExit(10000)) << "the close that came while the cut stopped was lost";
    EXPECT_EQ(app.exitCode(), 0u);
    EXPECT_FALSE(exists(kOutputMpg)) << "the stopped cut left its output";
}

// The question holds the copy still, so the session's messages surely come
// while it runs; they arrive as Windows sends them, from another process.
TEST_F(Busy, TheSessionWaitsForTheCutAndItsEndRemovesTheOutput) {
    DWORD_PTR answer = 0;
    ASSERT_TRUE(
        SendMessageTimeoutW(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kWaitMs, &answer));
    EXPECT_TRUE(answer) << "with no cut running, a logoff may go ahead";

    app.clickCut();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    HWND question = app.waitBox();
    ASSERT_TRUE(
        SendMessageTimeoutW(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kWaitMs, &answer));
    EXPECT_FALSE(answer) << "a cut in progress should hold the logoff";
    ASSERT_TRUE(
        SendMessageTimeoutW(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL, SMTO_NORMAL, kWaitMs, &answer));
    EXPECT_TRUE(answer) << "a critical end of the session does not wait, so it is not held";
    ASSERT_TRUE(present(kOutputMpg));

    ASSERT_TRUE(SendMessageTimeoutW(app.main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kWaitMs, &answer));
    EXPECT_FALSE(exists(kOutputMpg)) << "the output outlived the end of the session";
    app.answerBox(question, IDNO);
    EXPECT_TRUE(app.waitExit(kWaitMs)) << "the program stayed after the session ended";
    EXPECT_TRUE(holds(source, bytes));
}

// However the process ends mid-cut (killed from the task manager, crashed,
// or a shutdown gone ahead without it), no half-written output remains.
TEST_F(Busy, AProcessEndedMidCutLeavesNoOutput) {
    app.clickCut();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    app.waitBox();
    ASSERT_TRUE(present(kOutputMpg)) << "the question should come while the output is being written";

    const Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, app.pid()));
    ASSERT_TRUE(process.get() && TerminateProcess(process.get(), 1));
    ASSERT_TRUE(app.waitExit(kWaitMs));
    EXPECT_TRUE(waitUntil([] { return !present(kOutputMpg); }, 2000)) << "the ended process left its output";
    EXPECT_TRUE(holds(source, bytes));
}

// The running cut's output can be opened by no one else, which alone would
// read as missing rights; a second Tarnvel is told what is going on instead,
// whatever case it spells the name in.
TEST_F(Busy, ASecondWindowIntoTheSameOutputIsRefusedPlainly) {
    app.clickCut();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    HWND question = app.waitBox();

    App second;
    const Bytes otherBytes = pattern(9000, 2);
    second.chooseFile(writeSource("別の動画.MPG", otherBytes));
    const std::wstring sameOutput = outputFor(L"MPG");
    EXPECT_EQ(second.cut("5"), anotherCutIsWriting(sameOutput));
    expectUsable(second);

    app.answerBox(question, IDNO);
    EXPECT_EQ(app.dismissBox(60000), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 60000000)) << "the refused window touched the running cut's output";
    EXPECT_EQ(second.cut("5"), kDone) << "once the first cut is over, the second may cut";
    EXPECT_TRUE(holdsHead(sameOutput, otherBytes, 5000));
}

// The claim's name is fixed, so any program may make it first; that alone
// must not stop a cut. Another kind of object of that name fails the claim
// outright, everywhere. A mutex whose DACL shuts everyone out answers access
// denied on Windows, so that part runs on real Windows only: Wine 8 grants
// SYNCHRONIZE whatever the DACL says, and there the claim would look held.
TEST_F(Busy, AClaimNameMadeFirstByAnotherProgramStopsNoCut) {
    const std::u16string claim = tarnvel::claimNameFor(u"C:\\TARNVEL.MPG");
    const std::wstring name(claim.begin(), claim.end());
    {
        const Handle otherKind(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
        ASSERT_TRUE(otherKind.get());
        EXPECT_EQ(app.cut("2"), kDone);
        EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 2000));
    }

    ACL nothingAllowed{};
    SECURITY_DESCRIPTOR descriptor{};
    ASSERT_TRUE(InitializeAcl(&nothingAllowed, sizeof nothingAllowed, ACL_REVISION) &&
                InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                SetSecurityDescriptorDacl(&descriptor, TRUE, &nothingAllowed, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    const Handle squatter(CreateMutexW(&attributes, FALSE, name.c_str()));
    ASSERT_TRUE(squatter.get());
    if (const Handle opened(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str())); opened.get()) {
        // Windows refuses this open; a skip there would hide the very case.
        ASSERT_TRUE(runningUnderWine()) << "Windows let a process wait on a mutex whose DACL allows nothing";
        GTEST_SKIP() << "runs on real Windows only: Wine 8 grants SYNCHRONIZE on a mutex whose DACL allows "
                        "nothing, where Windows refuses it (the object of another kind was tried)";
    }
    EXPECT_EQ(app.cut("3"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 3000));
}

// A program that makes the name first with the access Tarnvel itself grants
// cannot be told from another Tarnvel: it blocks that output while it holds
// the name, as a folder made in the output's place would, and no longer.
TEST_F(Busy, AClaimNameMadeFirstWithTheClaimsOwnAccessBlocksThatOutputWhileHeld) {
    const std::u16string claim = tarnvel::claimNameFor(u"C:\\TARNVEL.MPG");
    const std::wstring name(claim.begin(), claim.end());
    alignas(DWORD) BYTE everyone[SECURITY_MAX_SID_SIZE]{};
    DWORD sidSize = sizeof everyone;
    struct {
        ACL header;
        BYTE room[sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
    } acl{};
    SECURITY_DESCRIPTOR descriptor{};
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize) &&
                InitializeAcl(&acl.header, sizeof acl, ACL_REVISION) &&
                AddAccessAllowedAce(&acl.header, ACL_REVISION, SYNCHRONIZE, everyone) &&
                InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                SetSecurityDescriptorDacl(&descriptor, TRUE, &acl.header, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    {
        const Handle squatter(CreateMutexExW(&attributes, name.c_str(), 0, SYNCHRONIZE));
        ASSERT_TRUE(squatter.get()) << "error " << GetLastError();
        EXPECT_EQ(app.cut("2"), anotherCutIsWriting(kOutputMpg));
        EXPECT_FALSE(exists(kOutputMpg)) << "the refused cut touched the output";
        expectUsable(app);
    }
    EXPECT_EQ(app.cut("2"), kDone) << "once the name is let go, the cut goes ahead";
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 2000));
}

}  // namespace
}  // namespace e2e
