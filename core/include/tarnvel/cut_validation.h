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
MessageNotice unusableExtensionNotice(std::u16string_view strExt);

// Whether C:\tarnvel.<strExt> names one file in the root of C:. An extension
// taken from a name without one (D:\video\abc gives \abc) could instead
// reach into a folder C:\tarnvel, once Windows has dropped the dot.
bool extensionKeepsOutputInRoot(std::u16string_view strExt);

// The leading decimal number of the text, fraction included; 0 when the
// text does not start with a digit, infinity when it is too long for a double.
double readSizeValue(std::u16string_view text);

std::int32_t roundHalfToEven(double value);

// The three checks in their fixed order, then the extension: it is refused
// only when the request would otherwise run, before anything is opened.

std::variant<CutRequest, MessageNotice> validateCutRequest(std::u16string_view path, std::u16string_view text,
                                                           std::int32_t lngMaxBlocks, std::u16string_view strExt);

}  // namespace tarnvel
