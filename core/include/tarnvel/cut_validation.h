#pragma once
// Deciding whether a press of the start-cut button may run a cut.

#include <cstdint>
#include <string_view>
#include <variant>

#include "tarnvel/cut_types.h"

namespace tarnvel {

MessageNotice noFileNotice();
MessageNotice noSizeNotice();
MessageNotice outOfRangeNotice();

// The leading decimal number of the text, fraction included; 0 when the
// text does not start with a digit, infinity when it is too long for a double.
double readSizeValue(std::u16string_view text);

std::int32_t roundHalfToEven(double value);

std::variant<CutRequest, MessageNotice> validateCutRequest(std::u16string_view path, std::u16string_view text,
                                                           std::int32_t lngMaxBlocks, std::u16string_view strExt);

}  // namespace tarnvel
