// The one owner of handles and the one way of reading a string of unknown
// length, checked with stand-ins that count what they are asked.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tarnvel/growing_buffer.h"
#include "tarnvel/unique_owner.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarnvel {
namespace {

// Handles are small numbers; 0 and -1 both mean none, as for Win32's HANDLE.
std::vector<int> closed;
struct NumberTraits {
    using Value = int;
    static Value none() { return 0; }
    static bool holds(Value value) { return value != 0 && value != -1; }
    static void close(Value value) { closed.push_back(value); }
};
using Owner = UniqueOwner<NumberTraits>;

class UniqueOwnerTest : public ::testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueOwnerTest, ClosesEachHeldValueOnceAcrossMovesAndNeverANoneOrReleasedOne) {
    {
        const Owner held(7), invalid(-1), empty;
        Owner first(3);
        Owner second(std::move(first));
        EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): a moved-from owner is empty
        EXPECT_TRUE(second);
        Owner third(4);
        third = std::move(second);  // 4 goes, 3 stays
        EXPECT_EQ(closed, std::vector<int>{4});
        EXPECT_EQ(third.release(), 3);
        EXPECT_FALSE(third);
    }
    EXPECT_EQ(closed, (std::vector<int>{4, 7})) << "a released value is the caller's";
}

TEST_F(UniqueOwnerTest, ResetAndPutCloseTheOldValueFirst) {
    Owner owner(5);
    owner.reset(6);
    *owner.put() = 8;  // as a call with an out parameter fills it
    EXPECT_EQ(owner.get(), 8);
    owner.reset();
    EXPECT_EQ(closed, (std::vector<int>{5, 6, 8}));
}

// A call that answers as GetCurrentDirectoryW does, or, as GetModuleFileNameW
// does, fills what fits and answers with the capacity.
struct StandIn {
    std::u16string text;
    bool tellsWhatItNeeds = true;
    std::vector<std::size_t> asked;
    std::size_t operator()(char16_t* buffer, std::size_t capacity) {
        asked.push_back(capacity);
        if (text.size() < capacity) {
            buffer[text.copy(buffer, capacity)] = u'\0';
            return text.size();
        }
        if (tellsWhatItNeeds) return text.size() + 1;
        buffer[text.copy(buffer, capacity - 1)] = u'\0';
        return capacity;
    }
};

TEST(FilledBuffer, GrowsUntilTheWholeTextFitsWithoutItsTerminator) {
    struct Case {
        const char* name;
        std::size_t length;
        bool tellsWhatItNeeds;
        std::vector<std::size_t> asked;
    };
    const Case cases[] = {
        {"fits at once", 259, true, {260}},
        {"one short for the terminator", 260, true, {260, 520}},
        {"asks for what it needs", 1000, true, {260, 1001}},
        {"cannot tell, so the buffer doubles", 1000, false, {260, 520, 1040}},
        {"the longest path", 32767, false, {260, 520, 1040, 2080, 4160, 8320, 16640, 33280}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StandIn call{std::u16string(c.length, u'x'), c.tellsWhatItNeeds, {}};
        const auto text = filledBuffer<char16_t>(std::ref(call));
        ASSERT_TRUE(text);
        EXPECT_EQ(*text, call.text);
        EXPECT_EQ(call.asked, c.asked);
    }
}

TEST(FilledBuffer, NothingForAFailureOrACallThatNeverFits) {
    EXPECT_FALSE(filledBuffer<char16_t>([](char16_t*, std::size_t) { return 0u; }));
    StandIn endless{std::u16string(kLargestFilledBuffer, u'x'), false, {}};
    EXPECT_FALSE(filledBuffer<char16_t>(std::ref(endless)));
    EXPECT_LE(endless.asked.back(), kLargestFilledBuffer);
}

#ifdef _WIN32
// Both rules as Windows answers them, from a buffer far too small for either.
TEST(FilledBuffer, ReadsWhatWindowsCallsAnswerFromTheSmallestBuffer) {
    using Call = DWORD (*)(wchar_t*, DWORD);
    const Call calls[] = {
        [](wchar_t* buffer, DWORD capacity) { return GetCurrentDirectoryW(capacity, buffer); },
        [](wchar_t* buffer, DWORD capacity) { return GetModuleFileNameW(nullptr, buffer, capacity); },
    };
    for (const Call call : calls) {
        std::wstring fixed(32768, L'\0');
        fixed.resize(call(fixed.data(), static_cast<DWORD>(fixed.size())));
        const auto fill = [&](wchar_t* buffer, std::size_t capacity) {
            return call(buffer, static_cast<DWORD>(capacity));
        };
        EXPECT_EQ(filledBuffer<wchar_t>(fill, 1), fixed);
    }
}
#endif

}  // namespace
}  // namespace tarnvel
