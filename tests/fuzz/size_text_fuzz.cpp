// Reads the size text again by other means and holds readSizeValue and
// validateCutRequest to that reading.
// Input: a little-endian int32 limit (lngMaxBlocks), one byte whose bit 0
// says a source is chosen, then the text as UTF-16 code units.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <variant>

#include "tarnvel/cut_validation.h"

namespace {

std::int32_t gLimit;
std::u16string_view gPath;
std::u16string_view gText;

std::string shown(double number) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number);
    return text;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "size_text_fuzz: %s\n  limit %d, %s, text units:", what.c_str(), static_cast<int>(gLimit),
                 gPath.empty() ? "no source" : "source chosen");
    for (char16_t unit : gText) std::fprintf(stderr, " %04X", static_cast<unsigned>(unit));
    std::fprintf(stderr, "\n");
    std::abort();
}

// The leading [0-9]+(\.[0-9]*)?, or 0 when the text does not start with a
// digit. strtod is correctly rounded and reads '.' as the point here: a C++
// program starts in the "C" locale and nothing here changes it.
double leadingNumber(std::u16string_view text) {
    std::string ascii;
    bool point = false;
    for (char16_t unit : text) {
        if (unit >= u'0' && unit <= u'9') {
            ascii += static_cast<char>(unit);
        } else if (unit == u'.' && !point && !ascii.empty()) {
            point = true;
            ascii += '.';
        } else {
            break;
        }
    }
    return ascii.empty() ? 0.0 : std::strtod(ascii.c_str(), nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    std::memcpy(&gLimit, data, 4);
    const std::u16string path = (data[4] & 1) ? u"C:\\動画\\movie.mpg" : u"";
    std::u16string text((size - 5) / 2, u'\0');
    std::memcpy(text.data(), data + 5, text.size() * 2);
    gPath = path;
    gText = text;

    const double value = leadingNumber(text);
    const double read = tarnvel::readSizeValue(text);
    if (!(read == value)) fail("readSizeValue gave " + shown(read) + " for the leading number " + shown(value));

    std::optional<tarnvel::MessageNotice> refusal;
    if (path.empty()) {
        refusal = tarnvel::noFileNotice();
    } else if (text.empty()) {
        refusal = tarnvel::noSizeNotice();
    } else if (!(value >= 2 && value <= gLimit)) {
        refusal = tarnvel::outOfRangeNotice();
    }

    const auto outcome = tarnvel::validateCutRequest(path, text, gLimit, u"mpg");
    if (refusal) {
        const auto* notice = std::get_if<tarnvel::MessageNotice>(&outcome);
        if (!notice) fail("a cut of " + shown(value) + " was allowed");
        if (*notice != *refusal) fail("refused with the wrong notice");
        return 0;
    }

    const auto* request = std::get_if<tarnvel::CutRequest>(&outcome);
    if (!request) fail("a cut of " + shown(value) + " was refused");
    // The default rounding mode breaks ties to even.
    const auto blocks = static_cast<std::int32_t>(std::nearbyint(value));
    if (request->blocks != blocks || request->blocks < 2 || request->blocks > gLimit)
        fail(std::to_string(request->blocks) + " blocks, not " + std::to_string(blocks));
    if (request->value != value) fail("the request carries " + shown(request->value) + ", not " + shown(value));
    if (request->sourcePath != path || request->strExt != u"mpg") fail("the request lost its path or extension");
    return 0;
}
