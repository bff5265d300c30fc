// The offer to restart as administrator, made when C:\ refuses the output to
// a program without administrator rights (scripts/e2e-config.sh
// root-not-writable). Tarnvel runs with the limited token a standard user's
// programs get. Wine 8 shows no prompt for "runas" and starts the program
// with the caller's own limited token, so what the restarted program may do
// as administrator is not tried here; what it is handed is.

#include <optional>

#include "configuration.h"
#include "drive_letter.h"
#include "failure.h"

namespace e2e {
namespace {

const wchar_t kEarlierOutput[] = L"C:\\tarnvel.old";

std::string offerText(const std::wstring& output) {
    const std::string file = utf8(output);
    return "作成ファイルを作れません。\n" + file + "\n" + numberedReason(ERROR_ACCESS_DENIED) + "\n\n" + file +
           " を作るには、C:\\ の直下にファイルを作成する管理者の権限が必要です。\n"
           "Tarnvel を管理者として起動し直しますか？\n"
           "選んだファイルと作成ファイルサイズは引き継がれます。";
}

HWND anotherTarnvel(DWORD notThisPid) {
    return findTopLevelWhere([&](HWND window) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        return processOf(window) != notThisPid && std::wstring(name) == TARNVEL_MAIN_CLASS;
    });
}

class RootNotWritableRestart : public ::testing::Test {
protected:
    void SetUp() override {
        if (activeConfiguration() != "root-not-writable") GTEST_SKIP() << skipNote("root-not-writable");
        app.emplace(App::Start{.rights = App::Rights::Limited});
        ASSERT_FALSE(app->elevated()) << "Tarnvel should run with a limited token";
    }

    // Other suites of this set-up need C:\tarnvel.old writable again.
    void TearDown() override {
        if (markedReadOnly) {
            EXPECT_TRUE(SetFileAttributesW(kEarlierOutput, FILE_ATTRIBUTE_NORMAL)) << GetLastError();
        }
    }

    // Cuts 3 blocks of a fresh source into C:\tarnvel.mpg and returns the
    // offer, still up, after checking that it is one.
    HWND cutIntoTheRoot(const std::wstring& chosenAs = {}) {
        source = scratch / "動画クリップ.mpg";
        writeBytes(source, bytes);
        app->chooseFile(chosenAs.empty() ? source : chosenAs);
        app->setSize("3");
        app->clickCut();
        HWND box = app->waitBox();
        EXPECT_EQ(app->readBox(box), (Box{"エラー", offerText(kOutputMpg), true}));
        EXPECT_TRUE(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK))
            << "the offer should be a yes/no question";
        return box;
    }

    // Presses Cut開始 in the given window and answers what comes: whether it
    // was a question (then declined) and what it said.
    static std::pair<Box, bool> refusalOfACut(App& window, const std::string& size) {
        window.setSize(size);
        window.clickCut();
        HWND box = window.waitBox();
        const Box seen = window.readBox(box);
        const bool question = GetDlgItem(box, IDNO) != nullptr;
        PostMessageW(box, WM_COMMAND, question ? IDNO : IDOK, 0);
        waitUntil([&] { return !IsWindow(box); }, kWaitMs);
        return {seen, question};
    }

    static void expectPlainRefusal(const std::pair<Box, bool>& refusal, const std::wstring& output) {
        const auto& [seen, question] = refusal;
        expectReport(seen, output, ERROR_ACCESS_DENIED);
        EXPECT_FALSE(question) << seen.text;
        EXPECT_EQ(seen.text.find("管理者"), std::string::npos) << seen.text;
    }

    static void answer(HWND box, int button) {
        ASSERT_TRUE(PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0));
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(box); }, kWaitMs)) << "the offer did not close";
    }

    const Bytes bytes = pattern(9000, 7);
    std::wstring source;
    Scratch scratch;
    std::optional<App> app;
    bool markedReadOnly = false;
};

TEST_F(RootNotWritableRestart, DeclinedOfferLeavesTheWindowUsable) {
    answer(cutIntoTheRoot(), IDNO);
    expectUsable(*app);
    EXPECT_FALSE(waitUntil([&] { return anotherTarnvel(app->pid()) != nullptr; }, 1000)) << "Tarnvel restarted";
    EXPECT_TRUE(app->running());
    EXPECT_FALSE(exists(kOutputMpg));
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(RootNotWritableRestart, AcceptedOfferRestartsWithSourceAndSize) {
    HWND offer = cutIntoTheRoot();
    const std::string chosen[] = {app->text(IDC_LABEL1), app->text(IDC_LABEL3), app->text(IDC_LABEL5)};
    answer(offer, IDYES);

    HWND window = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (window = anotherTarnvel(app->pid())) != nullptr; }, kWaitMs))
        << "no second Tarnvel window";
    App restarted(window);
    EXPECT_TRUE(app->waitExit(kWaitMs)) << "the first Tarnvel is still running";
    // Answered only once the start, source and size included, is over.
    send(restarted.main(), WM_NULL);
    EXPECT_EQ(restarted.text(IDC_LABEL1), chosen[0]);
    EXPECT_EQ(restarted.text(IDC_LABEL3), chosen[1]);
    EXPECT_EQ(restarted.text(IDC_LABEL5), chosen[2]);
    EXPECT_EQ(restarted.text(IDC_TEXT1), "3");
    EXPECT_FALSE(waitUntil([&] { return restarted.findBox() != nullptr; }, 1000)) << "the restarted Tarnvel spoke";
    EXPECT_FALSE(exists(kOutputMpg)) << "the restarted Tarnvel cut by itself";
    EXPECT_TRUE(holds(source, bytes));

    // Wine hands the restart the same limited token, as Windows would with
    // UAC off: refused again, it must say so rather than offer once more.
    expectPlainRefusal(refusalOfACut(restarted, "3"), kOutputMpg);
    expectUsable(restarted);
    EXPECT_EQ(anotherTarnvel(restarted.pid()), nullptr);

    ASSERT_TRUE(PostMessageW(restarted.main(), WM_CLOSE, 0, 0));
    EXPECT_TRUE(restarted.waitExit(kWaitMs));
}

// An elevated process sees none of the user's SUBST drives: the restart is
// handed the file's own path.
TEST_F(RootNotWritableRestart, TheRestartIsHandedTheFilesOwnPath) {
    writeBytes(scratch / "動画クリップ.mpg", bytes);
    const SecondLetterForC second(scratch.path().substr(3) + L"\\動画クリップ.mpg");
    ASSERT_FALSE(second.letter().empty()) << "no second drive letter shows C:\\";
    const std::wstring alias = second.letter() + scratch.path().substr(2) + L"\\動画クリップ.mpg";
    answer(cutIntoTheRoot(alias), IDYES);

    HWND window = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (window = anotherTarnvel(app->pid())) != nullptr; }, kWaitMs));
    App restarted(window);
    send(restarted.main(), WM_NULL);
    EXPECT_EQ(restarted.text(IDC_LABEL1), utf8(source));
    EXPECT_EQ(restarted.text(IDC_LABEL5), "2～9");
    EXPECT_FALSE(restarted.findBox());
}

// Administrators cannot write a read-only file either, so there is nothing to offer.
TEST_F(RootNotWritableRestart, ReadOnlyOutputInTheWayIsReportedPlainly) {
    const Bytes earlier = readBytes(kEarlierOutput);
    ASSERT_FALSE(earlier.empty()) << "C:\\tarnvel.old should be there";
    ASSERT_TRUE(markedReadOnly = SetFileAttributesW(kEarlierOutput, FILE_ATTRIBUTE_READONLY)) << GetLastError();
    source = scratch / "前回.old";
    writeBytes(source, bytes);
    app->chooseFile(source);
    const auto refusal = refusalOfACut(*app, "3");
    expectPlainRefusal(refusal, kEarlierOutput);
    EXPECT_NE(refusal.first.text.find(kMoveWhatIsInTheWay), std::string::npos) << refusal.first.text;
    expectUsable(*app);
    EXPECT_TRUE(holds(kEarlierOutput, earlier));
    EXPECT_TRUE(holds(source, bytes));
}

// The marker the offer puts on the new command line is what keeps it from asking again.
TEST_F(RootNotWritableRestart, AProcessStartedAsTheRestartNeverOffersIt) {
    source = scratch / "動画クリップ.mpg";
    writeBytes(source, bytes);
    App restarted({.arguments = {source, L"--size=3", L"--restarted"}, .rights = App::Rights::Limited});
    ASSERT_FALSE(restarted.elevated());
    EXPECT_EQ(restarted.text(IDC_LABEL5), "2～9");
    expectPlainRefusal(refusalOfACut(restarted, "3"), kOutputMpg);
    expectUsable(restarted);
    EXPECT_FALSE(exists(kOutputMpg));
    EXPECT_TRUE(holds(source, bytes));
}

}  // namespace
}  // namespace e2e
