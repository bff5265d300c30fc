#include <gtest/gtest.h>

#include "tarnvel/chosen_source.h"
#include "tarnvel/words.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <cerrno>
#endif

namespace tarnvel {
namespace {

using testing::ScratchFolder;

std::string narrow(const std::u16string& text) { return {text.begin(), text.end()}; }

TEST(Measurement, SizeLimitAndTextsFollowTheByteCount) {
    struct Case {
        std::size_t bytes;
        std::int32_t maxBlocks;
        std::u16string sizeText, rangeText;
    };
    const Case cases[] = {
        {0, 0, u"0Byte", u"2～0"},
        {999, 0, u"999Byte", u"2～0"},
        {1999, 1, u"1999Byte", u"2～1"},
        {2000, 2, u"2000Byte", u"2～2"},
        {2999, 2, u"2999Byte", u"2～2"},
        {12345, 12, u"12345Byte", u"2～12"},
        {3456789, 3456, u"3456789Byte", u"2～3456"},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        const auto path = folder / u"clip.mpg";
        testing::writeFile(path, testing::patternBytes(c.bytes));
        const Measurement result = measureSource(pathText(path));
        ASSERT_EQ(result.outcome, MeasureOutcome::Measured) << c.bytes;
        EXPECT_EQ(result.info.sizeBytes, static_cast<std::int32_t>(c.bytes));
        EXPECT_EQ(result.info.lngMaxBlocks, c.maxBlocks) << c.bytes;
        EXPECT_EQ(result.info.sizeText, c.sizeText) << narrow(result.info.sizeText);
        EXPECT_EQ(result.info.rangeText, c.rangeText) << c.bytes;
        EXPECT_EQ(result.info.strExt, u"mpg");
        EXPECT_EQ(result.info.path, pathText(path));
    }
}

TEST(Measurement, ExtensionIsTheLastThreeOrFourCodeUnits) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\data\\movie.mpg", u"mpg"},
        {u"C:\\data\\photo.jpeg", u"jpeg"},
        {u"C:\\data\\notes.gz", u"s.gz"},
        {u"C:\\data\\README", u"ADME"},
        {u"C:\\x\\ab", u"x\\ab"},
        {u"abc", u"abc"},
        {u".ab", u".ab"},
        {u"a", u"a"},
        {u"", u""},
        {u"C:\\動画\\映像.動画", u"像.動画"},
        {u"C:\\d\\clip.\U0001F600", u"p.\U0001F600"},
    };
    for (const auto& [path, ext] : cases) EXPECT_EQ(extensionFor(path), ext) << narrow(path);
}

// Only a regular file has a length to cut; the rest fail, and from the
// command line they are named with the reason.
TEST(Measurement, UnmeasurablePathsFailWithoutTexts) {
    ScratchFolder folder;
    const std::u16string missing = pathText(folder / u"missing.mpg");
#ifdef _WIN32
    const std::u16string device = u"NUL", pipe = u"\\\\.\\pipe\\tarnvel-measured";
    const HANDLE server = CreateNamedPipeW(reinterpret_cast<const wchar_t*>(pipe.c_str()), PIPE_ACCESS_INBOUND,
                                           PIPE_TYPE_BYTE, PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE) << GetLastError();
#else
    const std::u16string device = u"/dev/null", pipe = pathText(folder / u"fifo");
    ASSERT_EQ(::mkfifo(narrow(pipe).c_str(), 0600), 0) << errno;
#endif
    const std::pair<std::u16string, MeasureOutcome> cases[] = {
        {u"", MeasureOutcome::Unreadable},
        {missing, MeasureOutcome::Unreadable},
        {pathText(folder.path()), MeasureOutcome::NotAFile},
        {device, MeasureOutcome::NotAFile},
        {pipe, MeasureOutcome::NotAFile},
    };
    for (const auto& [path, outcome] : cases) {
        const Measurement result = measureSource(path);
        EXPECT_EQ(result.outcome, outcome) << narrow(path);
        EXPECT_EQ(result.info.path, path);
        EXPECT_TRUE(result.info.sizeText.empty());
        EXPECT_EQ(result.error != kNoError, outcome == MeasureOutcome::Unreadable && !path.empty()) << narrow(path);
        const auto notice = startSourceNotice(result);
        ASSERT_TRUE(notice) << narrow(path);
        const std::u16string reason =
            outcome == MeasureOutcome::NotAFile ? words::kNotAFile : systemErrorText(result.error);
        EXPECT_EQ(notice->prompt, words::startSourceUnmeasurable(path, reason));
        EXPECT_NE(notice->prompt.find(u"\n" + path + u"\n" + reason + u"\n"), std::u16string::npos);
        EXPECT_EQ(notice->shownTitle(), words::kErrorTitle);
    }
#ifdef _WIN32
    CloseHandle(server);
#endif
}

TEST(Measurement, RemeasuringAGrownFileShowsTheNewSize) {
    ScratchFolder folder;
    const auto path = folder / u"grow.bin";
    testing::writeFile(path, testing::patternBytes(2500));
    EXPECT_EQ(measureSource(pathText(path)).info.lngMaxBlocks, 2);
    testing::writeFile(path, testing::patternBytes(7100));
    const Measurement again = measureSource(pathText(path));
    EXPECT_EQ(again.info.lngMaxBlocks, 7);
    EXPECT_EQ(again.info.sizeText, u"7100Byte");
}

// A recording: another descriptor keeps writing while the file is measured.
TEST(Measurement, AFileStillBeingWrittenIsMeasuredAtItsPresentLength) {
    ScratchFolder folder;
    const auto path = folder / u"recording.ts";
    std::ofstream writer(path, std::ios::binary);
    const std::vector<char> chunk = testing::patternBytes(1700);
    for (std::int32_t written = 1700; written <= 6800; written += 1700) {
        writer.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        writer.flush();
        ASSERT_TRUE(writer.good());
        const Measurement result = measureSource(pathText(path));
        ASSERT_EQ(result.outcome, MeasureOutcome::Measured) << written;
        EXPECT_EQ(result.info.sizeBytes, written);
        EXPECT_EQ(startSourceNotice(result), std::nullopt);
    }
}

TEST(Measurement, JapaneseAndNonBmpNamesAreMeasured) {
    ScratchFolder folder;
    for (const std::u16string name : {u"動画クリップ.mpg", u"\U0001F3AC映画.webm"}) {
        const auto path = folder / name;
        testing::writeFile(path, testing::patternBytes(4321));
        const Measurement result = measureSource(pathText(path));
        ASSERT_EQ(result.outcome, MeasureOutcome::Measured) << narrow(name);
        EXPECT_EQ(result.info.sizeText, u"4321Byte");
        EXPECT_EQ(result.info.strExt, extensionFor(name));
    }
}

// Sparse files keep these cheap; the size is what matters, not the content.
TEST(Measurement, SizesBeyondThe32BitFieldsAreRefusedNotWrapped) {
    ScratchFolder folder;
    const auto path = folder / u"huge.bin";
    testing::writeFile(path, {});

    std::filesystem::resize_file(path, 2147483647);
    const Measurement largest = measureSource(pathText(path));
    ASSERT_EQ(largest.outcome, MeasureOutcome::Measured);
    EXPECT_EQ(largest.info.sizeText, u"2147483647Byte");
    EXPECT_EQ(largest.info.lngMaxBlocks, 2147483);

    for (const std::uintmax_t size : {2147483648ull, 4294967296ull + 5000}) {
        std::filesystem::resize_file(path, size);
        const Measurement result = measureSource(pathText(path));
        EXPECT_EQ(result.outcome, MeasureOutcome::TooLarge) << size;
    }
}

Measurement pathOnly(MeasureOutcome outcome, std::u16string path) {
    Measurement measurement;
    measurement.outcome = outcome;
    measurement.info.path = std::move(path);
    return measurement;
}

TEST(Selection, WhatTheWindowKeepsAfterAChoice) {
    Measurement measured{MeasureOutcome::Measured, kNoError, {u"C:\\a.mpg", 12345, 12, u"mpg", u"12345Byte", u"2～12"}};
    const SelectionDisplay shown = displayAfterChoosing(measured);
    EXPECT_EQ(shown.sizeText, u"12345Byte");
    EXPECT_EQ(shown.rangeText, u"2～12");
    EXPECT_EQ(shown.state, (SelectionState{12, u"mpg"}));
    EXPECT_FALSE(shown.notice);

    const SelectionDisplay unreadable = displayAfterChoosing(pathOnly(MeasureOutcome::Unreadable, u"C:\\gone.mpg"));
    EXPECT_EQ(unreadable.state, SelectionState{});
    EXPECT_TRUE(unreadable.sizeText.empty() && unreadable.rangeText.empty());
    EXPECT_FALSE(unreadable.notice);

    const SelectionDisplay tooLarge = displayAfterChoosing(pathOnly(MeasureOutcome::TooLarge, u"C:\\big.iso"));
    EXPECT_EQ(tooLarge.state, SelectionState{});
    ASSERT_TRUE(tooLarge.notice);
    EXPECT_EQ(tooLarge.notice->icon, NoticeIcon::Exclamation);
    EXPECT_EQ(tooLarge.notice->shownTitle(), words::kErrorTitle);
    EXPECT_NE(tooLarge.notice->prompt.find(u"2147483647Byte"), std::u16string::npos);
}

}  // namespace
}  // namespace tarnvel
