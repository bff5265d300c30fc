#include "tarnvel/head_cut.h"
#include "tarnvel/words.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <new>
#include <optional>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "tarnvel/busy_output.h"
#include "tarnvel/chunk_sizing.h"
#include "tarnvel/progress_scale.h"

namespace tarnvel {

namespace {

// The output may take long to close; the window runs its events meanwhile.
constexpr auto kCloseWait = kFrame / 2;
// Between tries for an old output on its way out, the window's events run.
constexpr auto kRemovalPause = kFrame / 2;

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

// Stands in where the window passes no stop or no indicator.
class NoIndicator final : public CutIndicator {
public:
    void showProgress(std::int32_t, std::int32_t) override {}
    void clearProgress() override {}
    void flashIfInBackground() override {}
};

class SteadyClock final : public CutClock {
public:
    std::chrono::steady_clock::time_point now() override { return std::chrono::steady_clock::now(); }
};

class Cut {
public:
    Cut(const CutRequest& request, File source, ProgressSink& sink, std::u16string_view output, CutStop& stop,
        CutIndicator& indicator, CutClock& clock)
        : request_(request),
          sink_(sink),
          outputPath_(output),
          stop_(stop),
          indicator_(indicator),
          clock_(clock),
          source_(std::move(source)) {}
    Cut(const Cut&) = delete;
    Cut& operator=(const Cut&) = delete;
    ~Cut() { stop_.watch(nullptr); }

    CutOutcome run() {
        const std::int16_t intShift = progressScaleFor(request_.value);
        sink_.setUpperBound(progressBarUpperFor(request_.value));
        indicator_.showProgress(0, request_.blocks);

        if (const SystemError error = source_.isOpen() ? kNoError : source_.openForReading(request_.sourcePath))
            return failure(CutEnd::OpenSource, words::kCannotOpenSource, request_.sourcePath, error);
        if (auto refused = refuseWithoutRoom()) return *std::move(refused);
        if (auto refused = openOutput()) return *std::move(refused);
        // Only now, with both open, can sameness be told for certain; only
        // once it is ruled out may the output lose its old contents.
        if (auto refused = refuseSameFile()) return *std::move(refused);
        outputOurs_ = true;
        // Marked before the first byte is lost, so that from here on the
        // output outlives the process only if the cut keeps it; marked any
        // earlier, it could have been the user's source under another name.
        // Where the system refuses the mark (opened without DELETE access,
        // mapped by another program), the cut goes on unmarked: a failure
        // still removes or empties the output; only a process ended mid-cut
        // leaves it behind.
        [[maybe_unused]] const bool marked = outputFile_.removeWhenClosed();
        stop_.watch(&outputFile_);
        if (const SystemError error = outputFile_.truncate()) return writeFailure(error);

        // Allocated once at its largest, as the copy always did.
        chunk_.resize(static_cast<std::size_t>(ChunkSizer::kMostBlocks) * kBlockBytes);
        std::int64_t copied = 0;
        for (std::int32_t i = 1; i <= request_.blocks;) {
            const std::int32_t blocksNow = std::min(sizer_.blocks(), request_.blocks - i + 1);
            const std::span<char> wanted(chunk_.data(), static_cast<std::size_t>(blocksNow) * kBlockBytes);
            const ChunkRead got = readChunk(wanted);
            if (got.stopped) return stopped();
            if (got.error)
                return removingOutput(failure(CutEnd::Read, words::kCannotReadSource, request_.sourcePath, got.error));
            const auto writing = clock_.now();
            if (const SystemError error = outputFile_.writeAll(wanted.first(got.bytes))) return writeFailure(error);
            const auto ended = clock_.now();
            sizer_.took(blocksNow, got.windowWaited + (ended - writing), got.pended);
            copied += static_cast<std::int64_t>(got.bytes);

            // Each block read and written in full counts on the bar; a part
            // of one means the source ended early.
            const auto wholeBlocks = static_cast<std::int32_t>(got.bytes / kBlockBytes);
            for (std::int32_t b = 0; b < wholeBlocks; ++b, ++i) sink_.setPosition(progressBarPositionFor(i, intShift));
            indicator_.showProgress(i - 1, request_.blocks);
            if (wholeBlocks < blocksNow) return sourceEnded(copied);
            if (passDue(ended)) {
                letEventsRun();
                if (stop_.requested()) return stopped();
            }
        }
        if (const SystemError error = keepAndCloseBoth()) return writeFailure(error);
        return {{words::kCutDone, NoticeIcon::None, std::nullopt}, CutEnd::Done, kNoError};
    }

    // Whatever was written is of no use once the cut has failed.
    CutOutcome removingOutput(CutOutcome outcome) {
        if (!removeOutput()) outcome.notice.prompt += u"\n\n" + words::partialOutputLeft(outputPath_);
        return outcome;
    }

private:
    struct ChunkRead : Transfer {
        std::chrono::nanoseconds windowWaited{};  // inside the system's calls, not while the window ran
        bool pended = false;                      // the window ran while the drive read
        bool stopped = false;                     // a stop came while a read was pending
    };

    // Fills the chunk unless the source ends first, as one read or several
    // (a pipe, a share may give less than was asked).
    ChunkRead readChunk(std::span<char> wanted) {
        ChunkRead done;
        while (done.bytes < wanted.size()) {
            auto called = clock_.now();
            const ReadStart started = source_.startRead(wanted.subspan(done.bytes));
            done.windowWaited += clock_.now() - called;
            Transfer got = started.got;
            if (started.pending) {
                // Wine reads a file inside the call and only then says it pends.
                done.pended = done.pended || !source_.readEnded();
                done.stopped = !waitForRead();
                called = clock_.now();
                got = source_.finishRead();
                done.windowWaited += clock_.now() - called;
                if (done.stopped) return done;
            }
            if (got.error) {
                done.error = got.error;
                return done;
            }
            if (got.bytes == 0) break;
            done.bytes += got.bytes;
        }
        return done;
    }

    // A read the drive makes wait runs the window's events until it ends. A
    // stop meanwhile cancels it, and the events go on running until Windows
    // has ended it: false then, as for a stop that came as it ended. Its buffer is the cut's, so nothing returns
    // before that.
    bool waitForRead() {
        bool cancelled = false;
        while (!source_.readEnded()) {
            if (sink_.letEventsRunUntil(source_.readSignal(), kFrame)) lastPass_ = clock_.now();
            if (stop_.requested() && !cancelled) {
                source_.cancelRead();
                cancelled = true;
            }
        }
        return !stop_.requested();
    }

    // Between two chunks, never inside a read or a write; at once after the
    // first, so input queued before the cut is seen while it runs, then
    // after each chunk that ends more than half a frame after the last pass:
    // with chunks of up to a frame, nothing waits much longer than a frame.
    bool passDue(std::chrono::steady_clock::time_point now) const {
        return !lastPass_ || now - *lastPass_ > kFrame / 2;
    }
    void letEventsRun() {
        const auto started = clock_.now();
        sink_.letPendingEventsRun();
        lastPass_ = clock_.now();
        sizer_.eventsTook(*lastPass_ - started);
    }

    // Refused before the output is touched, so a cut that cannot fit never
    // fills the drive. Where the free space cannot be read, the open and the
    // writes report whatever is wrong.
    std::optional<CutOutcome> refuseWithoutRoom() const {
        const auto needed = static_cast<std::uint64_t>(request_.blocks) * kBlockBytes;
        std::uint64_t room = 0;
        if (roomFor(outputPath_, room) != kNoError || room >= needed) return std::nullopt;
        return CutOutcome{
            {words::outputDoesNotFit(outputPath_, needed, room), NoticeIcon::Exclamation, words::kErrorTitle},
            CutEnd::NoRoom,
            kNoError};
    }

    // An old output deleted while another program (a scanner, the indexer)
    // still holds it refuses every open until that program lets go, which is
    // usually a moment; the window keeps answering while it is tried again.
    // The wait is timed on the steady clock, not on the cut's clock, which
    // may stand still until the output exists.
    std::optional<CutOutcome> openOutput() {
        const auto started = std::chrono::steady_clock::now();
        for (bool openedAgainAtOnce = false;;) {
            const SystemError error = outputFile_.openForWriting(outputPath_);
            if (error == kNoError) return std::nullopt;
            const ListedName name = lookUpName(outputPath_);
            const auto now = std::chrono::steady_clock::now();
            const BlockedOutputFacts facts{error, name.listed, name.attributesRefused,
                                           outputRemovedLately(outputPath_, now)};
            switch (nextStepFor(facts, openedAgainAtOnce, now - started)) {
            case BlockedOutputStep::Report:
                return failure(CutEnd::CreateOutput, words::kCannotCreateOutput, outputPath_, error);
            case BlockedOutputStep::ReportStillBeingRemoved:
                return CutOutcome{
                    {words::oldOutputStillBeingRemoved(outputPath_), NoticeIcon::Exclamation, words::kErrorTitle},
                    CutEnd::OldOutputBeingRemoved,
                    error};
            case BlockedOutputStep::OpenAgainAtOnce: openedAgainAtOnce = true; continue;
            case BlockedOutputStep::WaitAndOpenAgain: break;
            }
            letEventsRun();
            if (stop_.requested()) return stopped();
            std::this_thread::sleep_for(kRemovalPause);
        }
    }

    std::optional<CutOutcome> refuseSameFile() {
        FileIdentity source, output;
        if (const SystemError error = source_.identity(source)) {
            // A pipe has no identity to read, and can never be the output.
            if (!source_.onDisk()) return std::nullopt;
            return failure(CutEnd::OpenSource, words::kCannotOpenSource, request_.sourcePath, error);
        }
        if (const SystemError error = outputFile_.identity(output))
            return failure(CutEnd::CreateOutput, words::kCannotCreateOutput, outputPath_, error);
        if (source != output) return std::nullopt;
        return CutOutcome{{words::sourceIsOutput(outputPath_), NoticeIcon::Exclamation, words::kErrorTitle},
                          CutEnd::SameFile,
                          kNoError};
    }

    // True when the output is gone: removed here, or already by the stop, or
    // never touched.
    bool removeOutput() {
        stop_.watch(nullptr);
        if (!outputOurs_) return true;
        const bool removed = outputFile_.isOpen() ? outputFile_.discard() == kNoError : stop_.outputRemoved();
        if (removed) noteOutputRemoved(outputPath_, std::chrono::steady_clock::now());
        return removed;
    }

    // The source first; the output's last bytes may reach the disk only on
    // close. That close can take long (Wine on ext4 writes a truncated file
    // out in full there), so it runs aside while the window goes on answering.
    // A stop asked for meanwhile comes too late: the output is whole.
    SystemError keepAndCloseBoth() {
        if (const SystemError error = outputFile_.keepWhenClosed()) return error;
        return closeBoth();
    }

    SystemError closeBoth() {
        stop_.watch(nullptr);
        source_.close();
        auto closing = std::async(std::launch::async, [this] { return outputFile_.close(); });
        while (closing.wait_for(kCloseWait) != std::future_status::ready) letEventsRun();
        return closing.get();
    }

    CutOutcome writeFailure(SystemError error) {
        return removingOutput(failure(CutEnd::Write, words::kCannotWriteOutput, outputPath_, error));
    }

    CutOutcome stopped() {
        source_.close();
        if (!outputOurs_)
            return {{words::cutStoppedBeforeWriting(), NoticeIcon::None, std::nullopt}, CutEnd::Stopped, kNoError};
        const bool removed = removeOutput();
        return {{words::cutStopped(outputPath_, removed), NoticeIcon::None, std::nullopt}, CutEnd::Stopped, kNoError};
    }

    CutOutcome sourceEnded(std::int64_t copied) {
        if (const SystemError error = keepAndCloseBoth()) return writeFailure(error);
        return {{words::sourceEndedEarly(request_.sourcePath, copied, outputPath_), NoticeIcon::Exclamation,
                 words::kErrorTitle},
                CutEnd::SourceEnded,
                kNoError};
    }

    const CutRequest& request_;
    ProgressSink& sink_;
    std::u16string_view outputPath_;
    CutStop& stop_;
    CutIndicator& indicator_;
    CutClock& clock_;
    bool outputOurs_ = false;  // opened, and not the source under another name
    std::optional<std::chrono::steady_clock::time_point> lastPass_;
    ChunkSizer sizer_;
    // Destroyed in reverse: the source first, and with it a read still
    // pending into the chunk, which goes last.
    std::vector<char> chunk_;
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

void CutStop::requestAndRemoveOutputNow() {
    request();
    if (output_ && output_->isOpen()) removed_ = output_->discard() == kNoError;
    output_ = nullptr;
}

CutOutcome runHeadCut(const CutRequest& request, ProgressSink& sink, std::u16string_view output,
                      const CutControls& controls) {
    return runHeadCut(request, File{}, sink, output, controls);
}

CutOutcome runHeadCut(const CutRequest& request, File source, ProgressSink& sink, std::u16string_view output,
                      const CutControls& controls) {
    CutStop noStop{};
    NoIndicator noIndicator;
    SteadyClock steadyClock;
    CutIndicator* const indicator = controls.indicator ? controls.indicator : &noIndicator;
    Cut cut(request, std::move(source), sink, output, controls.stop ? *controls.stop : noStop, *indicator,
            controls.clock ? *controls.clock : steadyClock);
    CutOutcome outcome;
    try {
        outcome = cut.run();
    } catch (const std::bad_alloc&) {
        outcome = cut.removingOutput(unexpected(words::Unexpected::OutOfMemory));
    } catch (const std::exception&) {
        outcome = cut.removingOutput(unexpected(words::Unexpected::Other));
    }
    sink.setPosition(kProgressBarLowest);
    indicator->clearProgress();
    if (outcome.end != CutEnd::Stopped) indicator->flashIfInBackground();
    return outcome;
}

}  // namespace tarnvel
