// Successful cuts: what lands in C:\tarnvel.<ext> and what the bar shows after.

#include "fixture.h"

namespace e2e {
namespace {

using Cut = TarnvelTest;

TEST_F(Cut, WritesTheHeadToTarnvelWithTheLastCharactersOfTheName) {
    struct Case {
        const char* name;
        const wchar_t* ext;
    };
    const Case cases[] = {
        {"動画クリップ.mpg", L"mpg"},
        {"photo.jpeg", L"jpeg"},
        {"notes.gz", L"s.gz"},
        {"README", L"ADME"},
    };
    unsigned seed = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = pattern(5500, ++seed);
        const std::wstring source = writeSource(c.name, bytes);
        app.chooseFile(source);
        EXPECT_EQ(app.cut("3"), kDone);
        EXPECT_TRUE(holdsHead(outputFor(c.ext), bytes, 3000));
        EXPECT_TRUE(holds(source, bytes));
        EXPECT_EQ(app.barPos(), 1 * kScale);
        EXPECT_EQ(app.barHigh(), 3 * kScale);
        removePath(outputFor(c.ext));
    }
}

TEST_F(Cut, ASecondShorterCutReplacesTheWholeOutput) {
    const Bytes bytes = pattern(12345);
    const std::wstring source = writeSource("動画クリップ.mpg", bytes);
    app.chooseFile(source);
    EXPECT_EQ(app.cut("10"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 10000));
    EXPECT_EQ(app.cut("3"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 3000));
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Cut, CutsBeyond32767BlocksHalveTheBarUntilItFits) {
    const Bytes bytes = pattern(65535999);
    const std::wstring source = writeSource("長い動画.mpg", bytes);
    app.chooseFile(source);
    EXPECT_EQ(app.text(IDC_LABEL5), "2～65535");

    struct Case {
        const char* size;
        long high;
    };
    const Case cases[] = {
        {"32767", 32767 * kScale},
        {"32768", 16384 * kScale},
        {"65534", 32767 * kScale},
        {"65535", 16383 * kScale + 3 * kScale / 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("size ") + c.size);
        EXPECT_EQ(app.cut(c.size), kDone);
        EXPECT_EQ(app.barHigh(), c.high);
        EXPECT_EQ(app.barPos(), 1 * kScale);
    }
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 65535000));
    EXPECT_TRUE(holds(source, bytes));
}

}  // namespace
}  // namespace e2e
