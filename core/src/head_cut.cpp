#include "tarnvel/head_cut.h"
#include "tarnvel/words.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "tarnvel/progress_scale.h"

namespace tarnvel {

namespace {

// The files are read and written this much at a time: whole blocks, and
// whole 4 KiB pages too. The copy still goes block by block within it.
constexpr std::int32_t kChunkBlocks = 4096;

constexpr std::chrono::milliseconds kCloseWait{5};

words::Advice adviceFor(CutEnd end, std::u16string_view file, SystemError error) {
    const bool source = end == CutEnd::OpenSource || end == CutEnd::Read;
    // A drive letter that has gone says only that the path was not found.
    if (source && driveGone(file)) return words::Advice::ReconnectTheSourceDrive;
    switch (errorKind(error)) {
    case ErrorKind::InUse: return words::Advice::CloseTheOtherProgram;
    case ErrorKind::DiskFull: return source ? words::Advice::None : words::Advice::FreeSpaceOnC;
    case ErrorKind::DeviceGone: return source ? words::Advice::ReconnectTheSourceDrive : words::Advice::None;
    case ErrorKind::AccessDenied:
        return end == CutEnd::CreateOutput && folderOrReadOnlyAt(file) ? words::Advice::MoveWhatIsInTheWay
                                                                       : words::Advice::None;
    case ErrorKind::Other: break;
    }
    return words::Advice::None;
}

CutOutcome failure(CutEnd end, std::u16string_view what, std::u16string_view file, SystemError error) {
    return {{words::cutFailed(what, file, systemErrorText(error), adviceFor(end, file, error)), NoticeIcon::Exclamation,
             words::kErrorTitle},
            end,
            error};
}

class Cut {
public:
    Cut(const CutRequest& request, ProgressSink& sink, std::u16string_view output)
        : request_(request), sink_(sink), outputPath_(output) {}

    CutOutcome run() {
        const std::int16_t intShift = progressScaleFor(request_.value);
        sink_.setUpperBound(progressBarUpperFor(request_.value));

        if (const SystemError error = source_.openForReading(request_.sourcePath))
            return failure(CutEnd::OpenSource, words::kCannotOpenSource, request_.sourcePath, error);
        if (const SystemError error = outputFile_.openForWriting(outputPath_))
            return failure(CutEnd::CreateOutput, words::kCannotCreateOutput, outputPath_, error);
        // Only now, with both open, can sameness be told for certain; only
        // once it is ruled out may the output lose its old contents.
        if (auto refused = refuseSameFile()) return *std::move(refused);
        if (const SystemError error = outputFile_.truncate()) return writeFailure(error);

        std::vector<char> chunk(static_cast<std::size_t>(kChunkBlocks) * kBlockBytes);
        std::int64_t copied = 0;
        for (std::int32_t i = 1; i <= request_.blocks;) {
            const std::int32_t blocksNow = std::min(kChunkBlocks, request_.blocks - i + 1);
            const std::span<char> wanted(chunk.data(), static_cast<std::size_t>(blocksNow) * kBlockBytes);
            const Transfer got = source_.read(wanted);
            if (got.error) return failure(CutEnd::Read, words::kCannotReadSource, request_.sourcePath, got.error);
            if (const SystemError error = outputFile_.writeAll(wanted.first(got.bytes))) return writeFailure(error);
            copied += static_cast<std::int64_t>(got.bytes);

            // Each block read and written in full counts on the bar; a part
            // of one means the source ended early.
            const auto wholeBlocks = static_cast<std::int32_t>(got.bytes / kBlockBytes);
            for (std::int32_t b = 0; b < wholeBlocks; ++b, ++i) {
                sink_.letPendingEventsRun();
                sink_.setPosition(progressBarPositionFor(i, intShift));
            }
            if (wholeBlocks < blocksNow) return sourceEnded(copied);
        }

        if (const SystemError error = closeBoth()) return writeFailure(error);
        return {{words::kCutDone, NoticeIcon::None, std::nullopt}, CutEnd::Done, kNoError};
    }

private:
    std::optional<CutOutcome> refuseSameFile() {
        FileIdentity source, output;
        if (const SystemError error = source_.identity(source))
            return failure(CutEnd::OpenSource, words::kCannotOpenSource, request_.sourcePath, error);
        if (const SystemError error = outputFile_.identity(output))
            return failure(CutEnd::CreateOutput, words::kCannotCreateOutput, outputPath_, error);
        if (source != output) return std::nullopt;
        return CutOutcome{{words::sourceIsOutput(outputPath_), NoticeIcon::Exclamation, words::kErrorTitle},
                          CutEnd::SameFile,
                          kNoError};
    }

    // The source first; the output's last bytes may reach the disk only on
    // close. That close can take long (Wine on ext4 writes a truncated file
    // out in full there), so it runs aside while the window goes on answering.
    SystemError closeBoth() {
        source_.close();
        auto closing = std::async(std::launch::async, [this] { return outputFile_.close(); });
        while (closing.wait_for(kCloseWait) != std::future_status::ready) sink_.letPendingEventsRun();
        return closing.get();
    }

    CutOutcome writeFailure(SystemError error) {
        return failure(CutEnd::Write, words::kCannotWriteOutput, outputPath_, error);
    }

    CutOutcome sourceEnded(std::int64_t copied) {
        if (const SystemError error = closeBoth()) return writeFailure(error);
        return {{words::sourceEndedEarly(request_.sourcePath, copied, outputPath_), NoticeIcon::Exclamation,
                 words::kErrorTitle},
                CutEnd::SourceEnded,
                kNoError};
    }

    const CutRequest& request_;
    ProgressSink& sink_;
    std::u16string outputPath_;
    // Destroyed in reverse: on a failure, the source is closed first too.
    File outputFile_;
    File source_;
};

CutOutcome unexpected(words::Unexpected what) {
    return {{words::cutStoppedUnexpectedly(what), NoticeIcon::Exclamation, words::kErrorTitle},
            CutEnd::Unexpected,
            kNoError};
}

}  // namespace

std::u16string outputPathFor(std::u16string_view strExt) { return u"C:\\tarnvel." + std::u16string(strExt); }

CutOutcome runHeadCut(const CutRequest& request, ProgressSink& sink, std::u16string_view output) {
    CutOutcome outcome;
    try {
        outcome = Cut(request, sink, output).run();
    } catch (const std::bad_alloc&) {
        outcome = unexpected(words::Unexpected::OutOfMemory);
    } catch (const std::exception&) {
        outcome = unexpected(words::Unexpected::Other);
    }
    // Both files are closed by now on every road out of run().
    sink.setPosition(kProgressBarLowest);
    return outcome;
}

}  // namespace tarnvel
