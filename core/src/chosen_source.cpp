#include "tarnvel/chosen_source.h"
#include "tarnvel/words.h"

#include "tarnvel/file_io.h"

namespace tarnvel {

std::u16string extensionFor(std::u16string_view path) {
    const std::u16string_view lastFour = path.substr(path.size() < 4 ? 0 : path.size() - 4);
    if (!lastFour.empty() && lastFour.front() == u'.')
        return std::u16string(path.substr(path.size() < 3 ? 0 : path.size() - 3));
    return std::u16string(lastFour);
}

Measurement measureSource(std::u16string_view path) {
    Measurement result;
    result.info.path = std::u16string(path);
    if (path.empty()) return result;

    const FileFacts facts = inspectFile(path);
    result.error = facts.error;
    if (facts.error) return result;
    if (!facts.regularFile) {
        result.outcome = MeasureOutcome::NotAFile;
        return result;
    }
    const std::uint64_t size = facts.bytes;
    if (size > static_cast<std::uint64_t>(kMaxSourceBytes)) {
        result.outcome = MeasureOutcome::TooLarge;
        return result;
    }

    SourceInfo& info = result.info;
    info.sizeBytes = static_cast<std::int32_t>(size);
    info.lngMaxBlocks = info.sizeBytes / kBlockBytes;
    info.strExt = extensionFor(path);
    info.sizeText = words::sourceSize(info.sizeBytes);
    info.rangeText = words::permittedRange(info.lngMaxBlocks);
    result.outcome = MeasureOutcome::Measured;
    return result;
}

MessageNotice tooLargeNotice() {
    return {words::sourceTooLarge(kMaxSourceBytes), NoticeIcon::Exclamation, words::kErrorTitle};
}

std::optional<MessageNotice> startSourceNotice(const Measurement& measurement) {
    std::u16string reason;
    switch (measurement.outcome) {
    case MeasureOutcome::Unreadable: reason = systemErrorText(measurement.error); break;
    case MeasureOutcome::NotAFile: reason = words::kNotAFile; break;
    case MeasureOutcome::Measured:
    case MeasureOutcome::TooLarge: return std::nullopt;  // the latter has its own notice
    }
    return MessageNotice{words::startSourceUnmeasurable(measurement.info.path, reason), NoticeIcon::Exclamation,
                         words::kErrorTitle};
}

SelectionDisplay displayAfterChoosing(const Measurement& measurement) {
    SelectionDisplay display;
    switch (measurement.outcome) {
    case MeasureOutcome::Measured:
        display.sizeText = measurement.info.sizeText;
        display.rangeText = measurement.info.rangeText;
        display.state = {measurement.info.lngMaxBlocks, measurement.info.strExt};
        break;
    case MeasureOutcome::TooLarge: display.notice = tooLargeNotice(); break;
    case MeasureOutcome::Unreadable:
    case MeasureOutcome::NotAFile: break;
    }
    return display;
}

}  // namespace tarnvel
