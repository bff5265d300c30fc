#include "start_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "tarnvel/growing_buffer.h"
#include "win32_support.h"

namespace tarnvel::ui {

namespace {

std::u16string fullPath(const std::u16string& path) {
    const std::wstring relative = wide(path);
    const std::optional<std::wstring> full = filledBuffer<wchar_t>([&](wchar_t* buffer, std::size_t capacity) {
        return GetFullPathNameW(relative.c_str(), static_cast<DWORD>(capacity), buffer, nullptr);
    });
    return full ? utf16(*full) : path;
}

}  // namespace

std::variant<StartOptions, MessageNotice> startArguments() {
    int count = 0;
    const LocalMemory<wchar_t*> split(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!split) return StartOptions{};
    std::vector<std::u16string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf16(split.get()[i]));

    auto read = readStartArguments(arguments);
    if (auto* options = std::get_if<StartOptions>(&read); options && !options->sourcePath.empty())
        options->sourcePath = fullPath(options->sourcePath);
    return read;
}

}  // namespace tarnvel::ui
