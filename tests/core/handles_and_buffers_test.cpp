// The one owner of handles and the one way of reading a string of unknown
// length, checked with stand-ins that count what they are asked.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tarnvel/file_io.h"
#include "tarnvel/growing_buffer.h"
#include "tarnvel/unique_owner.h"
#include "test_files.h"

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

// Whether any handle of this process has the file open for writing.
bool heldForWriting(const std::filesystem::path& path) {
#ifdef _WIN32
    // A File lets others read only, so a writer of our own is refused while it holds the file.
    HANDLE probe = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(probe);
    return false;
#else
    const std::filesystem::path target = std::filesystem::canonical(path);
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code gone;  // the iterator's own descriptor, closed by now
        if (std::filesystem::read_symlink(entry.path(), gone) == target) return true;
    }
    return false;
#endif
}

// File holds its handle through the same owner: whichever File holds it last
// gives it back, once, and a File moved from or closed gives back nothing
// (else it would close the handle a later open got under the same number).
TEST(FileHandle, IsGivenBackOnceByWhicheverFileHoldsItLast) {
    const testing::ScratchFolder folder;
    const std::filesystem::path first = folder / u"first.bin", second = folder / u"second.bin",
                                third = folder / u"third.bin";
    const std::vector<char> bytes = testing::patternBytes(3000);
    using Act = File* (*)(File & a, File & b, std::optional<File> & spare);
    struct Case {
        const char* name;
        Act act;  // the File that holds a's handle afterwards, if any
        bool secondHeld;
    };
    const Case cases[] = {
        {"moved into a new File",
         [](File& a, File&, std::optional<File>& spare) { return &spare.emplace(std::move(a)); }, true},
        {"moved over an open File",
         [](File& a, File& b, std::optional<File>&) {
             b = std::move(a);
             return &b;
         },
         false},
        {"moved over a closed File",
         [](File& a, File& b, std::optional<File>&) {
             EXPECT_EQ(b.close(), kNoError);
             b = std::move(a);
             return &b;
         },
         false},
        {"closed",
         [](File& a, File&, std::optional<File>&) -> File* {
             EXPECT_EQ(a.close(), kNoError);
             return nullptr;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        File bystander;
        {
            File a, b;
            std::optional<File> spare;
            ASSERT_EQ(a.openForWriting(pathText(first)), kNoError);
            ASSERT_EQ(b.openForWriting(pathText(second)), kNoError);
            File* holder = c.act(a, b, spare);
            EXPECT_FALSE(a.isOpen());
            EXPECT_EQ(heldForWriting(first), holder != nullptr);
            EXPECT_EQ(heldForWriting(second), c.secondHeld);
            if (holder) {
                EXPECT_EQ(holder->writeAll(bytes), kNoError);
            }
            ASSERT_EQ(bystander.openForWriting(pathText(third)), kNoError);
        }
        EXPECT_FALSE(heldForWriting(first));
        EXPECT_FALSE(heldForWriting(second));
        EXPECT_TRUE(heldForWriting(third));
        EXPECT_EQ(bystander.writeAll(bytes), kNoError) << "a handle was given back twice, the bystander's with it";
    }
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

// A call that lays out a structure as WNetGetUniversalNameW does: the size it
// needs, in bytes, and ERROR_MORE_DATA while the buffer is smaller.
constexpr std::uint32_t kMoreData = 234;
struct LayingOut {
    std::size_t needs;
    std::size_t tells;  // what it writes back as needed; a careless provider may say too little
    std::uint32_t failure = 0;
    std::vector<std::size_t> asked;
    std::uint32_t operator()(std::byte* buffer, std::size_t& size) {
        asked.push_back(size);
        if (failure != 0) return failure;
        if (size < needs) {
            size = tells;
            return kMoreData;
        }
        std::fill_n(buffer, needs, std::byte{0x5A});
        size = needs;
        return 0;
    }
};

TEST(FilledBytes, GrowsToTheSizeTheCallNamesAndPassesEveryOtherAnswerOn) {
    struct Case {
        const char* name;
        std::size_t needs, tells;
        std::uint32_t failure, answer;
        std::vector<std::size_t> asked;
    };
    const Case cases[] = {
        {"fits at once", 300, 300, 0, 0, {600}},
        {"names what it needs", 70'000, 70'000, 0, 0, {600, 70'000}},
        {"names too little, so the buffer then doubles", 5000, 1000, 0, 0, {600, 1000, 2000, 4000, 8000}},
        {"says more but names no more", 2000, 0, 0, 0, {600, 1200, 2400}},
        {"fails otherwise", 300, 300, 1222, 1222, {600}},
        {"never fits", kLargestFilledBytes + 1, kLargestFilledBytes + 1, 0, kMoreData, {600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayingOut call{c.needs, c.tells, c.failure, {}};
        std::vector<std::byte> buffer;
        EXPECT_EQ(filledBytes(buffer, 600, kMoreData, std::ref(call)), c.answer);
        EXPECT_EQ(call.asked, c.asked);
        if (c.answer == 0) {
            ASSERT_GE(buffer.size(), c.needs);
            EXPECT_EQ(buffer[c.needs - 1], std::byte{0x5A});
        }
    }
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
