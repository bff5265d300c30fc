#include "tarnvel/start_options.h"
#include "tarnvel/words.h"

#include <algorithm>

namespace tarnvel {

namespace {

constexpr std::u16string_view kSizeOption = u"--size=";
constexpr std::u16string_view kRestartedOption = u"--restarted";

bool allDigits(std::u16string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

MessageNotice unreadable(std::u16string_view argument, std::u16string_view why) {
    return {words::commandLineUnreadable(argument, why), NoticeIcon::Exclamation, words::kErrorTitle};
}

}  // namespace

std::variant<StartOptions, MessageNotice> readStartArguments(std::span<const std::u16string> arguments) {
    StartOptions options;
    bool sizeGiven = false;
    for (const std::u16string& argument : arguments) {
        if (!argument.starts_with(u"--")) {
            if (options.sourcePath.empty()) options.sourcePath = argument;
            continue;
        }
        if (argument == kRestartedOption) {
            options.restarted = true;
            continue;
        }
        if (!argument.starts_with(kSizeOption)) return unreadable(argument, words::kUnknownOption);
        if (sizeGiven) return unreadable(argument, words::kSizeGivenTwice);
        const std::u16string_view size = std::u16string_view(argument).substr(kSizeOption.size());
        if (!allDigits(size)) return unreadable(argument, words::kSizeNotDigits);
        options.sizeText = size;
        sizeGiven = true;
    }
    return options;
}

std::u16string quoteArgument(std::u16string_view argument) {
    std::u16string quoted = u"\"";
    std::size_t backslashes = 0;
    for (const char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only before a quote.
        const std::size_t copies = c == u'"' ? backslashes * 2 + 1 : backslashes;
        quoted.append(copies, u'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, u'\\');  // before the closing quote
    return quoted + u"\"";
}

std::u16string startCommandLine(const StartOptions& options) {
    std::u16string line;
    if (!options.sourcePath.empty()) line = quoteArgument(options.sourcePath);
    if (!options.sizeText.empty()) {
        if (!line.empty()) line += u' ';
        line += quoteArgument(std::u16string(kSizeOption) + options.sizeText);
    }
    if (options.restarted) {
        if (!line.empty()) line += u' ';
        line += kRestartedOption;
    }
    return line;
}

}  // namespace tarnvel
