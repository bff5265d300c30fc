#include "tarnvel/text.h"

#include <string>

namespace tarnvel {

std::u16string asciiToUtf16(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

std::u16string decimalText(std::int64_t number) { return asciiToUtf16(std::to_string(number)); }

#ifdef _WIN32
// wchar_t is UTF-16 here, so a unit-for-unit copy is exact.
std::filesystem::path toPath(std::u16string_view text) { return {std::wstring(text.begin(), text.end())}; }

std::u16string pathText(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    return {native.begin(), native.end()};
}
#else
std::filesystem::path toPath(std::u16string_view text) { return {std::u16string(text)}; }

std::u16string pathText(const std::filesystem::path& path) { return path.u16string(); }
#endif

}  // namespace tarnvel
