#include "tarnvel/head_cut.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <future>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "tarnvel/text.h"

namespace tarnvel {

namespace {

// The streams read ahead and write behind in chunks this size; the copy
// itself still moves one 1000-byte block at a time.
constexpr std::size_t kStreamBufferBytes = std::size_t{64} * 1024;

constexpr std::chrono::milliseconds kCloseWait{5};

double powerOfTwo(std::int16_t exponent) { return std::ldexp(1.0, exponent); }

MessageNotice failure(const std::u16string& what, const std::filesystem::path& file, const std::u16string& reason) {
    return {what + u"\n" + pathText(file) + u"\n" + reason, NoticeIcon::Exclamation, kErrorTitle};
}

// libstdc++ honours a stream buffer only before open, MSVC's only after, so
// it is offered at both moments.
template <typename Stream>
bool openBuffered(Stream& stream, std::vector<char>& buffer, const std::filesystem::path& path,
                  std::ios::openmode mode) {
    const auto size = static_cast<std::streamsize>(buffer.size());
    stream.rdbuf()->pubsetbuf(buffer.data(), size);
    errno = 0;
    stream.open(path, mode);
    if (!stream.is_open()) return false;
    stream.rdbuf()->pubsetbuf(buffer.data(), size);
    return true;
}

bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

class Cut {
public:
    Cut(const CutRequest& request, ProgressSink& sink, std::filesystem::path output, const FailureReason& reason)
        : request_(request),
          sink_(sink),
          source_(toPath(request.sourcePath)),
          output_(std::move(output)),
          reason_(reason) {}

    MessageNotice run() {
        const std::int16_t intShift = progressScaleFor(request_.value);
        sink_.setUpperBound(progressUpperBoundFor(request_.value));

        if (isSameFile(source_, output_))
            return {u"元のファイルと出力ファイルが同じです。\n" + pathText(output_) +
                        u"\n元のファイルを守るため、Cutを中止しました。",
                    NoticeIcon::Exclamation, kErrorTitle};

        std::vector<char> sourceBuffer(kStreamBufferBytes), outputBuffer(kStreamBufferBytes);
        std::ifstream source;
        if (!openBuffered(source, sourceBuffer, source_, std::ios::binary))
            return failure(u"元のファイルを開けません。", source_, reason_());
        std::ofstream output;
        if (!openBuffered(output, outputBuffer, output_, std::ios::binary | std::ios::out | std::ios::trunc))
            return failure(u"出力ファイルを作成できません。", output_, reason_());

        std::array<char, kBlockBytes> bytBlock{};
        std::int64_t copied = 0;
        for (std::int32_t i = 1; i <= request_.blocks; ++i) {
            errno = 0;
            source.read(bytBlock.data(), bytBlock.size());
            const std::streamsize got = source.gcount();
            if (source.bad()) return failure(u"元のファイルを読み込めません。", source_, reason_());
            output.write(bytBlock.data(), got);
            if (!output) return writeFailure();
            copied += got;
            if (got < kBlockBytes) return shrunkSource(copied, source, output);

            sink_.letPendingEventsRun();
            sink_.setPosition(static_cast<float>(progressPositionFor(i, intShift)));
        }

        if (const auto reason = closeBoth(source, output)) return writeFailure(*reason);
        return {u"完了。", NoticeIcon::None, std::nullopt};
    }

private:
    // The source first; the output's last bytes reach the disk only on close.
    // That close can take long (Wine on ext4 writes a truncated file out in
    // full there), so it runs aside while the window goes on answering. The
    // reason is read on the closing thread, where the error was left.
    std::optional<std::u16string> closeBoth(std::ifstream& source, std::ofstream& output) {
        source.close();
        auto closing = std::async(std::launch::async, [&]() -> std::optional<std::u16string> {
            errno = 0;
            output.close();
            if (!output.fail()) return std::nullopt;
            return reason_();
        });
        while (closing.wait_for(kCloseWait) != std::future_status::ready) sink_.letPendingEventsRun();
        return closing.get();
    }

    MessageNotice writeFailure() { return writeFailure(reason_()); }
    MessageNotice writeFailure(const std::u16string& reason) {
        return failure(u"出力ファイルに書き込めません。", output_, reason);
    }

    MessageNotice shrunkSource(std::int64_t copied, std::ifstream& source, std::ofstream& output) {
        if (const auto reason = closeBoth(source, output)) return writeFailure(*reason);
        return {u"元のファイルが途中で終わりました。\n" + pathText(source_) + u"\n" + decimalText(copied) +
                    u"Byteだけを" + pathText(output_) + u"にコピーしました。",
                NoticeIcon::Exclamation, kErrorTitle};
    }

    const CutRequest& request_;
    ProgressSink& sink_;
    std::filesystem::path source_;
    std::filesystem::path output_;
    const FailureReason& reason_;
};

}  // namespace

std::filesystem::path outputPathFor(std::u16string_view strExt) {
    return toPath(u"C:\\tarnvel." + std::u16string(strExt));
}

std::int16_t progressScaleFor(double value) {
    std::int16_t k = 0;
    // The cap only matters for values no validated request can carry.
    while (k < 1023 && value / powerOfTwo(k) > kMaxProgressSteps) ++k;
    return k;
}

float progressUpperBoundFor(double value) { return static_cast<float>(value / powerOfTwo(progressScaleFor(value))); }

std::int32_t progressPositionFor(std::int32_t block, std::int16_t intShift) {
    if (intShift < 0 || intShift > 30) return 1;
    const std::int32_t position = block / (std::int32_t{1} << intShift);
    return position == 0 ? 1 : position;
}

std::u16string errnoReason() {
    const int code = errno;
    const std::string text = std::generic_category().message(code);
    return std::u16string(text.begin(), text.end()) + u" (errno " + decimalText(code) + u")";
}

MessageNotice runHeadCut(const CutRequest& request, ProgressSink& sink, const std::filesystem::path& output,
                         const FailureReason& reason) {
    MessageNotice notice;
    try {
        notice = Cut(request, sink, output, reason).run();
    } catch (const std::exception& e) {
        const std::string what = e.what();
        notice = {u"Cutできませんでした。\n" + std::u16string(what.begin(), what.end()), NoticeIcon::Exclamation,
                  kErrorTitle};
    }
    // Streams are closed by now on every road out of run().
    sink.setPosition(1);
    return notice;
}

}  // namespace tarnvel
