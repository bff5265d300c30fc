#include "tarnvel/cut_validation.h"
#include "tarnvel/words.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "tarnvel/head_cut.h"

namespace tarnvel {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Windows' characters that no file name may hold.
constexpr std::u16string_view kNotInFileNames = u"\\/:*?\"<>|";

}  // namespace

MessageNotice noFileNotice() { return {words::kNoFileChosen, NoticeIcon::Exclamation, words::kErrorTitle}; }

MessageNotice noSizeNotice() { return {words::kNoCutSize, NoticeIcon::Exclamation, words::kErrorTitle}; }

MessageNotice outOfRangeNotice() { return {words::kCutSizeOutOfRange, NoticeIcon::Exclamation, words::kErrorTitle}; }

MessageNotice unusableExtensionNotice(std::u16string_view strExt) {
    return {words::unusableExtension(outputPathFor(strExt)), NoticeIcon::Exclamation, words::kErrorTitle};
}

bool extensionKeepsOutputInRoot(std::u16string_view strExt) {
    if (strExt.empty() || strExt.back() == u'.' || strExt.back() == u' ') return false;
    return std::none_of(strExt.begin(), strExt.end(),
                        [](char16_t c) { return c < 0x20 || kNotInFileNames.find(c) != std::u16string_view::npos; });
}

double readSizeValue(std::u16string_view text) {
    std::string number;
    std::size_t i = 0;
    while (i < text.size() && isDigit(text[i])) number += static_cast<char>(text[i++]);
    if (number.empty()) return 0;
    const std::size_t integerDigits = number.size();
    if (i < text.size() && text[i] == u'.') {
        number += '.';
        for (++i; i < text.size() && isDigit(text[i]); ++i) number += static_cast<char>(text[i]);
    }

    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    // from_chars says "out of range" both ways: a whole part above zero
    // overflowed, a fraction of zeros under the smallest double underflowed.
    if (error == std::errc::result_out_of_range)
        return number.find_first_not_of('0') < integerDigits ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

std::int32_t roundHalfToEven(double value) {
    const double floor = std::floor(value);
    const double rest = value - floor;
    double rounded = floor;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1;
    return static_cast<std::int32_t>(rounded);
}

std::variant<CutRequest, MessageNotice> validateCutRequest(std::u16string_view path, std::u16string_view text,
                                                           std::int32_t lngMaxBlocks, std::u16string_view strExt) {
    if (path.empty()) return noFileNotice();
    if (text.empty()) return noSizeNotice();

    const double value = readSizeValue(text);
    if (value > static_cast<double>(lngMaxBlocks) || value < 2) return outOfRangeNotice();

    if (!extensionKeepsOutputInRoot(strExt)) return unusableExtensionNotice(strExt);

    return CutRequest{std::u16string(path), value, roundHalfToEven(value), std::u16string(strExt)};
}

}  // namespace tarnvel
