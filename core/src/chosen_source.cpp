#include "tarnvel/chosen_source.h"
#include "tarnvel/words.h"

#include <filesystem>
#include <system_error>

#include "tarnvel/text.h"

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

    std::error_code error;
    std::uintmax_t size = 0;
    try {
        size = std::filesystem::file_size(toPath(path), error);
    } catch (const std::exception&) {
        return result;  // a name the platform cannot even spell
    }
    if (error) return result;
    if (size > static_cast<std::uintmax_t>(kMaxSourceBytes)) {
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

SelectionDisplay displayAfterChoosing(const Measurement& measurement) {
    SelectionDisplay display;
    switch (measurement.outcome) {
    case MeasureOutcome::Measured:
        display.sizeText = measurement.info.sizeText;
        display.rangeText = measurement.info.rangeText;
        display.state = {measurement.info.lngMaxBlocks, measurement.info.strExt};
        break;
    case MeasureOutcome::TooLarge: display.notice = tooLargeNotice(); break;
    case MeasureOutcome::Unreadable: break;
    }
    return display;
}

}  // namespace tarnvel
