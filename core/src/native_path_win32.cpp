// Paths as Windows spells them: UTF-16, resolved by the system itself.
#include "tarnvel/system_path.h"

#include <windows.h>

#include <optional>

#include "tarnvel/growing_buffer.h"
#include "tarnvel/long_path.h"
#include "tarnvel/text.h"

namespace tarnvel {

std::u16string systemPath(std::u16string_view path) {
    if (path.empty() || isDeviceForm(path)) return std::u16string(path);
    const std::wstring given(path.begin(), path.end());
    const std::optional<std::wstring> full = filledBuffer<wchar_t>([&](wchar_t* buffer, std::size_t capacity) {
        return GetFullPathNameW(given.c_str(), static_cast<DWORD>(capacity), buffer, nullptr);
    });
    // Unresolvable: the call it is meant for reports why.
    if (!full) return std::u16string(path);
    return longPathForm(std::u16string(full->begin(), full->end()));
}

// wchar_t is UTF-16 here, so a unit-for-unit copy is exact.
std::filesystem::path toPath(std::u16string_view text) { return {std::wstring(text.begin(), text.end())}; }

std::u16string pathText(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    return {native.begin(), native.end()};
}

}  // namespace tarnvel
