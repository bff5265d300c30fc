#pragma once
// What Tarnvel.exe may be started with: a source to choose at once, as the
// open dialog would, and a size to put in the size field. Explorer passes a
// file dropped on the program's icon or sent with 「送る」 as the first
// argument; the restart as administrator passes both, and marks the new
// process so that it never offers the restart again.
//
//   Tarnvel.exe [SOURCE] [--size=DIGITS] [--restarted]

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "tarnvel/cut_types.h"

namespace tarnvel {

struct StartOptions {
    std::u16string sourcePath;  // empty: nothing chosen
    std::u16string sizeText;    // empty: the field stays empty
    bool restarted = false;     // started by the offer to restart as administrator

    bool operator==(const StartOptions&) const = default;
};

// The arguments after the program's own name. The first argument that is not
// an option is the source; later ones are ignored, as a drop of several files
// takes the first. A line that cannot be read is refused whole, so nothing of
// it is half applied.
std::variant<StartOptions, MessageNotice> readStartArguments(std::span<const std::u16string> arguments);

// The arguments again as one command line, each quoted so that Windows splits
// it back into exactly these (CommandLineToArgvW's rules).
std::u16string startCommandLine(const StartOptions& options);
std::u16string quoteArgument(std::u16string_view argument);

}  // namespace tarnvel
