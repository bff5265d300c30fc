#include "tarnvel/text.h"

#include <string>

namespace tarnvel {

std::u16string asciiToUtf16(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

std::u16string decimalText(std::int64_t number) { return asciiToUtf16(std::to_string(number)); }

}  // namespace tarnvel
