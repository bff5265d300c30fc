// Started with a file and a size: dropped on the program's icon, sent from
// Explorer's 「送る」, or restarted as administrator.

#include "failure.h"

namespace e2e {
namespace {

class CommandLine : public ::testing::Test {
protected:
    // Nothing may start by itself: no box and no output after start-up settled.
    static void expectIdle(const App& app) {
        EXPECT_FALSE(waitUntil([&] { return app.findBox() != nullptr; }, 1000)) << "a box opened by itself";
        EXPECT_FALSE(exists(kOutputMpg));
        EXPECT_EQ(app.barPos(), app.barLow());
        EXPECT_TRUE(app.enabled(IDC_COMMAND1));
    }

    // What the line could not give, the dialog still can: a 5000-byte source cuts.
    static void expectWorkingAfterwards(App& app, const std::wstring& source) {
        expectIdle(app);
        app.chooseFile(source);
        EXPECT_EQ(app.cut("5"), kDone);
        EXPECT_TRUE(holdsHead(kOutputMpg, pattern(5000), 5000));
        removePath(kOutputMpg);
    }

    Scratch scratch;
};

TEST_F(CommandLine, AFileAndASizeArriveAsIfChosenAndTyped) {
    const std::wstring source = scratch / "起動 時.mpg";
    writeBytes(source, pattern(7999, 5));
    App app({.arguments = {source, L"--size=5"}});
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(source));
    EXPECT_EQ(app.text(IDC_LABEL3), "7999Byte");
    EXPECT_EQ(app.text(IDC_LABEL5), "2～7");
    EXPECT_EQ(app.text(IDC_TEXT1), "5");
    expectIdle(app);

    EXPECT_EQ(app.fileDialogStartName(), "起動 時.mpg");
    EXPECT_EQ(app.cut("5"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, pattern(7999, 5), 5000));
}

TEST_F(CommandLine, ARelativeFileIsTakenFromTheCurrentFolderAndFurtherFilesAreIgnored) {
    writeBytes(scratch / "一.jpeg", pattern(3000));
    writeBytes(scratch / "二.mpg", pattern(9000));
    App app({.arguments = {L"一.jpeg", L"二.mpg"}, .currentDirectory = scratch.path()});
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(scratch / "一.jpeg"));
    EXPECT_EQ(app.text(IDC_LABEL5), "2～3");
    EXPECT_EQ(app.text(IDC_TEXT1), "");
    expectIdle(app);
}

// Unlike the dialog's, a failure here would otherwise go unseen: the window
// would open with empty labels and the first press say the size is out of range.
TEST_F(CommandLine, ASourceThatCannotBeMeasuredIsNamedAndTheWindowStillWorks) {
    const std::wstring folder = scratch / "フォルダ.mpg";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::pair<std::wstring, std::string> cases[] = {
        {scratch / "消えた.mpg", numberedReason(ERROR_FILE_NOT_FOUND)},
        {scratch / "無いフォルダ\\動画.mpg", numberedReason(ERROR_PATH_NOT_FOUND)},
        {folder, "これはファイルではなく、フォルダーかデバイスです。"},
    };
    const std::wstring source = scratch / "動画.mpg";
    writeBytes(source, pattern(5000));
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(utf8(path));
        App app({.arguments = {path, L"--size=5"}});
        EXPECT_EQ(app.dismissBox(),
                  (Box{"エラー",
                       "起動時に指定されたファイルを調べられません。\n" + utf8(path) + "\n" + reason +
                           "\nファイルがあるか、開けるかを確かめて、「ファイル指定」で選び直してください。",
                       true}));
        EXPECT_EQ(app.text(IDC_LABEL1), utf8(path));
        EXPECT_EQ(app.text(IDC_LABEL3), "");
        EXPECT_EQ(app.text(IDC_TEXT1), "5");
        expectWorkingAfterwards(app, source);
    }
}

TEST_F(CommandLine, AMalformedLineIsExplainedAndTheWindowStillWorks) {
    const std::wstring source = scratch / "動画.mpg";
    writeBytes(source, pattern(5000));
    const struct {
        std::vector<std::wstring> arguments;
        std::string named;
        std::string why;
    } cases[] = {
        {{source, L"--speed=2"}, "--speed=2", "この指定は使えません。"},
        {{L"--size=3", source, L"--size=4"}, "--size=4", "サイズが二度指定されています。"},
        {{source, L"--size=３"}, "--size=３", "サイズは数字だけで指定してください。"},
        {{L"--size="}, "--size=", "サイズは数字だけで指定してください。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        App app({.arguments = c.arguments});
        const Box box = app.dismissBox();
        EXPECT_EQ(box, (Box{"エラー",
                            "コマンドラインを読み取れません。\n" + c.named + "\n" + c.why +
                                "\n\n使い方: Tarnvel.exe [ファイル] [--size=作成ファイルサイズ]",
                            true}));
        // Nothing of a line that was not understood is taken.
        EXPECT_EQ(app.text(IDC_LABEL1), "");
        EXPECT_EQ(app.text(IDC_TEXT1), "");
        expectWorkingAfterwards(app, source);
    }
}

}  // namespace
}  // namespace e2e
