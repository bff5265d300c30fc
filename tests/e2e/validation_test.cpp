// Which message Cut開始 answers with, depending on the chosen file and the size.

#include "fixture.h"

namespace e2e {
namespace {

using Validation = TarnvelTest;

TEST_F(Validation, WithoutAChosenFileEverySizeGetsNoFileMessage) {
    for (const char* size : {"", "0", "5", "99999999999"}) {
        EXPECT_EQ(app.cut(size), kNoFile) << "size \"" << size << "\"";
    }
    EXPECT_FALSE(exists(kOutputMpg));
}

TEST_F(Validation, SizeIsCheckedAgainstTwoAndTheBlocksOfTheSource) {
    const Bytes bytes = pattern(12345);
    const std::wstring source = writeSource("動画クリップ.mpg", bytes);
    app.chooseFile(source);

    struct Case {
        const char* size;
        Box expected;
        size_t outputBytes;  // 0: no output may appear
    };
    const Case cases[] = {
        {"", kNoSize, 0},       {"0", kOutOfRange, 0},  {"1", kOutOfRange, 0},
        {"00", kOutOfRange, 0}, {"13", kOutOfRange, 0}, {"99999999999", kOutOfRange, 0},
        {"2", kDone, 2000},     {"12", kDone, 12000},   {"007", kDone, 7000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("size \"") + c.size + "\"");
        removePath(kOutputMpg);
        EXPECT_EQ(app.cut(c.size), c.expected);
        EXPECT_EQ(app.text(IDC_TEXT1), c.size) << "the size field keeps what was typed";
        if (c.outputBytes)
            EXPECT_TRUE(holdsHead(kOutputMpg, bytes, c.outputBytes));
        else
            EXPECT_FALSE(exists(kOutputMpg));
    }
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Validation, SmallSourcesAllowOnlyWhatTheyHold) {
    struct Case {
        size_t bytes;
        const char* sizeText;
        const char* rangeText;
        Box cutTwo;
    };
    const Case cases[] = {
        {0, "0Byte", "2～0", kOutOfRange},
        {1999, "1999Byte", "2～1", kOutOfRange},
        {2000, "2000Byte", "2～2", kDone},
        {2999, "2999Byte", "2～2", kDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + " bytes");
        removePath(kOutputMpg);
        const Bytes bytes = pattern(c.bytes, static_cast<unsigned>(c.bytes));
        const std::wstring source = writeSource("small" + std::to_string(c.bytes) + ".mpg", bytes);
        app.chooseFile(source);
        EXPECT_EQ(app.text(IDC_LABEL3), c.sizeText);
        EXPECT_EQ(app.text(IDC_LABEL5), c.rangeText);
        EXPECT_EQ(app.cut("2"), c.cutTwo);
        if (c.cutTwo == kDone)
            EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 2000));
        else
            EXPECT_FALSE(exists(kOutputMpg));
        EXPECT_TRUE(holds(source, bytes));
    }
}

}  // namespace
}  // namespace e2e
