#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tarnvel/chosen_source.h"
#include "tarnvel/cut_validation.h"
#include "tarnvel/words.h"

namespace tarnvel {
namespace {

std::string narrow(std::u16string_view text) { return {text.begin(), text.end()}; }

TEST(Validation, MessagesAreExactAndTitledError) {
    EXPECT_EQ(noFileNotice().prompt, words::kNoFileChosen);
    EXPECT_EQ(noSizeNotice().prompt, words::kNoCutSize);
    EXPECT_EQ(outOfRangeNotice().prompt, words::kCutSizeOutOfRange);
    for (const MessageNotice& notice : {noFileNotice(), noSizeNotice(), outOfRangeNotice()}) {
        EXPECT_EQ(notice.icon, NoticeIcon::Exclamation);
        EXPECT_EQ(notice.shownTitle(), words::kErrorTitle);
        EXPECT_EQ(notice.prompt.find(u'\r'), std::u16string::npos);
    }
}

TEST(Validation, FirstFailedCheckDecides) {
    struct Case {
        std::u16string path, text;
        std::int32_t maxBlocks;
        MessageNotice expected;
    };
    const Case cases[] = {
        {u"", u"", 0, noFileNotice()},
        {u"", u"500", 3456, noFileNotice()},
        {u"C:\\a.mpg", u"", 3456, noSizeNotice()},
        {u"C:\\a.mpg", u"", 0, noSizeNotice()},
        {u"C:\\a.mpg", u"0", 3456, outOfRangeNotice()},
        {u"C:\\a.mpg", u"1", 3456, outOfRangeNotice()},
        {u"C:\\a.mpg", u"00", 3456, outOfRangeNotice()},
        {u"C:\\a.mpg", u"3457", 3456, outOfRangeNotice()},
        {u"C:\\a.mpg", u"99999999999", 2147483, outOfRangeNotice()},
        {u"C:\\a.mpg", u"abc", 3456, outOfRangeNotice()},
        {u"C:\\small.mpg", u"2", 1, outOfRangeNotice()},
        {u"C:\\small.mpg", u"1", 1, outOfRangeNotice()},
        {u"C:\\empty.mpg", u"2", 0, outOfRangeNotice()},
    };
    for (const Case& c : cases) {
        const auto result = validateCutRequest(c.path, c.text, c.maxBlocks, u"mpg");
        ASSERT_TRUE(std::holds_alternative<MessageNotice>(result))
            << narrow(c.path) << " / " << narrow(c.text) << " / " << c.maxBlocks;
        EXPECT_EQ(std::get<MessageNotice>(result), c.expected)
            << narrow(c.path) << " / " << narrow(c.text) << " / " << c.maxBlocks << " -> "
            << narrow(std::get<MessageNotice>(result).prompt);
    }
}

TEST(Validation, AcceptedRequestsCarryTheirBlocks) {
    struct Case {
        std::u16string text;
        std::int32_t maxBlocks, blocks;
    };
    const Case cases[] = {
        {u"2", 2, 2},
        {u"500", 3456, 500},
        {u"3456", 3456, 3456},
        {u"007", 3456, 7},
        {u"2147483", 2147483, 2147483},
        {u"2.5", 3456, 2},
        {u"3.5", 3456, 4},
        {u"12.", 3456, 12},
        {u"12abc", 3456, 12},
    };
    for (const Case& c : cases) {
        const auto result = validateCutRequest(u"C:\\d\\clip.mpg", c.text, c.maxBlocks, u"mpg");
        ASSERT_TRUE(std::holds_alternative<CutRequest>(result)) << narrow(c.text);
        const auto& request = std::get<CutRequest>(result);
        EXPECT_EQ(request.blocks, c.blocks) << narrow(c.text);
        EXPECT_EQ(request.value, readSizeValue(c.text));
        EXPECT_EQ(request.sourcePath, u"C:\\d\\clip.mpg");
        EXPECT_EQ(request.strExt, u"mpg");
    }
}

TEST(Validation, AnExtensionThatWouldLeaveTheRootIsRefusedLast) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"C:\\data\\movie.mpg", true},
        {u"C:\\data\\photo.jpeg", true},
        {u"C:\\data\\notes.gz", true},
        {u"C:\\data\\README", true},
        {u"C:\\動画\\映像.動画", true},
        {u"D:\\x\\a..ab", true},  // C:\tarnvel..ab is still one name
        {u"D:\\video\\abc", false},
        {u"C:\\x\\ab", false},
        {u"D:/video/abc", false},
        {u"D:\\clip.mpg:ab", false},
        {u"D:\\v\\a*bc", false},
        {u"D:\\v\\a?bc", false},
        {u"D:\\v\\a\"bc", false},
        {u"D:\\v\\a<bc", false},
        {u"D:\\v\\a>bc", false},
        {u"D:\\v\\a|bc", false},
        {u"D:\\v\\ab\tc", false},
        {u"D:\\v\\ab\x1F"
         u"c",
         false},
        {u"D:\\v\\clip.", false},
        {u"D:\\v\\clip ", false},
        {u"D:\\v\\a....", false},
    };
    for (const auto& [path, usable] : cases) {
        const std::u16string ext = extensionFor(path);
        EXPECT_EQ(extensionKeepsOutputInRoot(ext), usable) << narrow(path);
        const auto result = validateCutRequest(path, u"5", 3456, ext);
        if (usable) {
            EXPECT_TRUE(std::holds_alternative<CutRequest>(result)) << narrow(path);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<MessageNotice>(result)) << narrow(path);
        const MessageNotice& notice = std::get<MessageNotice>(result);
        EXPECT_EQ(notice, unusableExtensionNotice(ext));
        EXPECT_NE(notice.prompt.find(u"C:\\tarnvel." + ext + u"\n"), std::u16string::npos) << narrow(notice.prompt);
        EXPECT_EQ(notice.shownTitle(), words::kErrorTitle);
        // The three checks keep their messages and their order.
        EXPECT_EQ(std::get<MessageNotice>(validateCutRequest(u"", u"5", 3456, ext)), noFileNotice());
        EXPECT_EQ(std::get<MessageNotice>(validateCutRequest(path, u"", 3456, ext)), noSizeNotice());
        EXPECT_EQ(std::get<MessageNotice>(validateCutRequest(path, u"9999", 3456, ext)), outOfRangeNotice());
    }
}

TEST(SizeText, LeadingNumberIsReadExactly) {
    const std::u16string zeros400(400, u'0');
    const std::pair<std::u16string, double> cases[] = {
        {u"", 0},
        {u"abc", 0},
        {u".5", 0},
        {u"-3", 0},
        {u"007", 7},
        {u"12abc", 12},
        {u"2.5", 2.5},
        {u"12.", 12},
        {u"1.2.3", 1.2},
        {u"99999999999", 99999999999.0},
        {u"2147483648", 2147483648.0},
        {u"0.1", 0.1},
        {zeros400 + u"7", 7},
        {u"0." + zeros400 + u"1", 0},  // below the smallest double: zero, not infinity
        {zeros400 + u"." + zeros400 + u"1", 0},
        {u"３", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(readSizeValue(text), value) << narrow(text.substr(0, 20));
}

TEST(SizeText, DigitStringsBeyondADoubleAreOutOfRange) {
    const std::u16string nines308(308, u'9'), nines309(309, u'9');
    EXPECT_TRUE(std::isfinite(readSizeValue(nines308)));
    EXPECT_TRUE(std::isinf(readSizeValue(nines309)));
    for (const auto& text : {nines308, nines309}) {
        const auto result = validateCutRequest(u"C:\\a.mpg", text, 2147483, u"mpg");
        ASSERT_TRUE(std::holds_alternative<MessageNotice>(result)) << text.size();
        EXPECT_EQ(std::get<MessageNotice>(result), outOfRangeNotice());
    }
}

TEST(SizeText, HalvesRoundToEven) {
    const std::pair<double, std::int32_t> cases[] = {
        {2.0, 2}, {2.4999, 2}, {2.5, 2}, {2.5001, 3}, {3.5, 4}, {4.5, 4}, {2147482.5, 2147482},
    };
    for (const auto& [value, rounded] : cases) EXPECT_EQ(roundHalfToEven(value), rounded) << value;
}

}  // namespace
}  // namespace tarnvel
