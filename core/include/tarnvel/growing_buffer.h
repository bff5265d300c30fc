#pragma once
// Windows' calls that copy a string of a length not known beforehand (a path,
// a folder) into the caller's buffer, asked again with a larger one until it
// fits. One rule for all of them, as GetCurrentDirectoryW, GetSystemDirectoryW,
// GetFullPathNameW and GetFinalPathNameByHandleW answer:
//   - the call is given the buffer's capacity in characters, its terminator included;
//   - 0 is a failure;
//   - an answer below the capacity is the length copied, the terminator not counted;
//   - an answer of the capacity or more means it did not fit: it is the
//     capacity needed, terminator included. GetModuleFileNameW cannot say and
//     answers with the capacity itself, so the capacity at least doubles.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

namespace tarnvel {

// Far beyond the longest path (32767 characters), so a call that keeps
// asking for more cannot grow the buffer for ever.
inline constexpr std::size_t kLargestFilledBuffer = std::size_t{1} << 16;

// `fill(buffer, capacity)` makes the call; nothing when it fails.
template <typename Char, typename Fill>
std::optional<std::basic_string<Char>> filledBuffer(Fill fill, std::size_t capacity = 260) {
    std::basic_string<Char> text;
    while (capacity <= kLargestFilledBuffer) {
        text.assign(capacity, Char{});
        const auto answer = static_cast<std::size_t>(fill(text.data(), capacity));
        if (answer == 0) return std::nullopt;
        if (answer < capacity) {
            text.resize(answer);
            return text;
        }
        capacity = std::max(answer, capacity * 2);
    }
    return std::nullopt;
}

}  // namespace tarnvel
