// Files dropped on the window from Explorer.

#include "fixture.h"

namespace e2e {
namespace {

using Drop = TarnvelTest;

TEST_F(Drop, ADroppedFileIsChosenAsTheDialogWouldChooseIt) {
    const Bytes bytes = pattern(7999, 3);
    const std::wstring source = writeSource("ドロップ.jpeg", bytes);
    app.dropFiles({source});
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(source));
    EXPECT_EQ(app.text(IDC_LABEL3), "7999Byte");
    EXPECT_EQ(app.text(IDC_LABEL5), "2～7");

    // The dialog starts from the dropped file; cancelled, it measures that file again.
    writeBytes(source, pattern(9000, 3));
    EXPECT_EQ(app.fileDialogStartName(), "ドロップ.jpeg");
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(source));
    EXPECT_EQ(app.text(IDC_LABEL5), "2～9");

    EXPECT_EQ(app.cut("9"), kDone);
    EXPECT_TRUE(holdsHead(outputFor(L"jpeg"), pattern(9000, 3), 9000));
    EXPECT_TRUE(holds(source, pattern(9000, 3)));
}

TEST_F(Drop, OfSeveralFilesTheFirstIsTaken) {
    const std::wstring first = writeSource("一.mpg", pattern(5000));
    const std::wstring second = writeSource("二.jpeg", pattern(9000));
    app.dropFiles({first, second});
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(first));
    EXPECT_EQ(app.text(IDC_LABEL5), "2～5");
    EXPECT_EQ(app.cut("5"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, pattern(5000), 5000));
}

TEST_F(Drop, AFolderOrAnOversizedFileUndoesTheEarlierChoice) {
    const std::wstring source = writeSource("動画.mpg", pattern(5000));
    const std::wstring folder = scratch / "フォルダ.mpg";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring tooLarge = scratch / "過大.bin";
    makeSparse(tooLarge, 2147483648LL);

    app.chooseFile(source);
    app.dropFiles({folder});
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(folder));
    EXPECT_EQ(app.text(IDC_LABEL3), "");
    EXPECT_EQ(app.text(IDC_LABEL5), "");
    EXPECT_FALSE(app.findBox()) << "a folder is passed over quietly, as a vanished file is";
    EXPECT_EQ(app.cut("2"), kOutOfRange);

    app.chooseFile(source);
    app.dropFiles({tooLarge});
    const Box refusal = app.dismissBox();
    EXPECT_EQ(refusal.caption, "エラー");
    EXPECT_NE(refusal.text.find("2147483647Byte"), std::string::npos) << refusal.text;
    EXPECT_EQ(app.text(IDC_LABEL3), "");
    EXPECT_EQ(app.cut("2"), kOutOfRange);
    EXPECT_FALSE(exists(kOutputMpg));
}

TEST_F(Drop, IsIgnoredWhileAMessageIsOpen) {
    const std::wstring source = writeSource("動画.mpg", pattern(5000));
    app.clickCut();
    HWND box = app.waitBox();
    app.dropFiles({source});
    EXPECT_EQ(app.text(IDC_LABEL1), "");
    EXPECT_EQ(app.readBox(box), kNoFile);
    app.dismissBox();
    EXPECT_FALSE(app.findBox());
    EXPECT_EQ(app.cut("2"), kNoFile);
}

}  // namespace
}  // namespace e2e
