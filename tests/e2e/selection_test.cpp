// Choosing the source in the open dialog, and what the window shows for it.

#include "fixture.h"
#include "layout.h"

namespace e2e {
namespace {

using Selection = TarnvelTest;

TEST_F(Selection, ShowsPathSizeAndRangeAndAReplacingChoiceReplacesAll) {
    const std::wstring first = writeSource("動画クリップ.mpg", pattern(12345));
    const std::wstring second = writeSource("写真.jpeg", pattern(7999, 2));

    app.chooseFile(first);
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(first));
    EXPECT_EQ(app.text(IDC_LABEL3), "12345Byte");
    EXPECT_EQ(app.text(IDC_LABEL5), "2～12");

    app.chooseFile(second);
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(second));
    EXPECT_EQ(app.text(IDC_LABEL3), "7999Byte");
    EXPECT_EQ(app.text(IDC_LABEL5), "2～7");
    // The limit and the extension follow the second file too.
    EXPECT_EQ(app.cut("8"), kOutOfRange);
    EXPECT_EQ(app.cut("7"), kDone);
    EXPECT_TRUE(holdsHead(outputFor(L"jpeg"), pattern(7999, 2), 7000));
    EXPECT_FALSE(exists(kOutputMpg));
    EXPECT_TRUE(holds(second, pattern(7999, 2)));
}

// A recording that another program is still writing: each choice measures
// the file's own length, which the directory entry may lag behind.
TEST_F(Selection, AFileStillBeingWrittenIsMeasuredAsItGrows) {
    const Bytes bytes = pattern(9000, 4);
    const std::wstring source = scratch / "録画中.mts";
    Handle writer(CreateFileW(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(writer.get(), INVALID_HANDLE_VALUE) << GetLastError();
    for (const DWORD upTo : {5000u, 9000u}) {
        SCOPED_TRACE(upTo);
        const DWORD already = upTo == 5000 ? 0 : 5000;
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(writer.get(), bytes.data() + already, upTo - already, &written, nullptr));
        app.chooseFile(source);
        EXPECT_EQ(app.text(IDC_LABEL3), std::to_string(upTo) + "Byte");
        EXPECT_EQ(app.text(IDC_LABEL5), "2～" + std::to_string(upTo / 1000));
    }
    EXPECT_EQ(app.cut("9"), kDone) << "while it is still open for writing";
    EXPECT_TRUE(holdsHead(outputFor(L"mts"), bytes, 9000));
}

// Windows moves a process into the folder of the file chosen in the open
// dialog, whatever OFN_NOCHANGEDIR asks, and keeps that folder open (a card
// cannot be ejected, the folder not renamed) for as long as the process lives.
TEST_F(Selection, LeavesTheCurrentDirectoryWhereItWas) {
    const std::string start = utf8(app.currentDirectory());
    ASSERT_FALSE(start.empty());
    const std::wstring source = writeSource("動画クリップ.mpg", pattern(5000));
    ASSERT_NE(start.find(utf8(scratch.path())), 0u) << "the program started in the scratch folder";

    app.chooseFile(source);
    EXPECT_EQ(app.text(IDC_LABEL5), "2～5");
    EXPECT_EQ(utf8(app.currentDirectory()), start) << "after choosing " << utf8(source);
    app.cancelFileDialog();
    EXPECT_EQ(utf8(app.currentDirectory()), start) << "after cancelling the dialog in the source's folder";
}

TEST_F(Selection, CancellingMeasuresTheChosenFileAgain) {
    const std::wstring source = writeSource("動画クリップ.mpg", pattern(5000));
    app.chooseFile(source);
    EXPECT_EQ(app.text(IDC_LABEL5), "2～5");

    writeBytes(source, pattern(8000));
    app.cancelFileDialog();
    EXPECT_EQ(app.text(IDC_LABEL1), utf8(source));
    EXPECT_EQ(app.text(IDC_LABEL3), "8000Byte");
    EXPECT_EQ(app.text(IDC_LABEL5), "2～8");

    removePath(source);
    app.cancelFileDialog();
    EXPECT_EQ(app.text(IDC_LABEL3), "");
    EXPECT_EQ(app.text(IDC_LABEL5), "");
    EXPECT_EQ(app.cut("2"), kOutOfRange) << "a file that cannot be measured allows no cut";
    EXPECT_FALSE(exists(kOutputMpg));
}

TEST_F(Selection, CancellingBeforeAnyChoiceLeavesNothingChosen) {
    app.cancelFileDialog();
    for (int id : {IDC_LABEL1, IDC_LABEL3, IDC_LABEL5}) EXPECT_EQ(app.text(id), "") << "control " << id;
    EXPECT_EQ(app.cut("2"), kNoFile);
}

TEST_F(Selection, SizesUpTo2147483647BytesAreAcceptedAndLargerRefused) {
    const std::wstring largest = scratch / "最大.bin";
    makeSparse(largest, 2147483647LL);
    app.chooseFile(largest);
    EXPECT_EQ(app.text(IDC_LABEL3), "2147483647Byte");
    EXPECT_EQ(app.text(IDC_LABEL5), "2～2147483");
    // The longest values fit the boxes as designed, which are never widened for them.
    for (int id : {IDC_LABEL3, IDC_LABEL5}) {
        RECT client{};
        GetClientRect(app.control(id), &client);
        EXPECT_LE(textWidth(wide(app.text(id)), kWindowFont, windowDpi(app.main())), client.right) << "control " << id;
    }

    const std::wstring tooLarge = scratch / "過大.bin";
    makeSparse(tooLarge, 2147483648LL);
    app.chooseFile(tooLarge);
    Box refusal = app.dismissBox();
    EXPECT_EQ(refusal.caption, "エラー");
    EXPECT_TRUE(refusal.icon);
    EXPECT_NE(refusal.text.find("2147483647Byte"), std::string::npos) << refusal.text;
}

}  // namespace
}  // namespace e2e
