#include "start_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win32_support.h"

namespace tarnvel::ui {

namespace {

std::u16string fullPath(const std::u16string& path) {
    const std::wstring relative = wide(path);
    std::wstring full(32768, L'\0');
    const DWORD length = GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return path;
    full.resize(length);
    return utf16(full);
}

}  // namespace

std::variant<StartOptions, MessageNotice> startArguments() {
    int count = 0;
    wchar_t** split = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!split) return StartOptions{};
    std::vector<std::u16string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf16(split[i]));
    LocalFree(split);

    auto read = readStartArguments(arguments);
    if (auto* options = std::get_if<StartOptions>(&read); options && !options->sourcePath.empty())
        options->sourcePath = fullPath(options->sourcePath);
    return read;
}

}  // namespace tarnvel::ui
