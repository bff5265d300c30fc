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
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// Far beyond a structure that holds the longest path.
inline constexpr std::size_t kLargestFilledBytes = kLargestFilledBuffer * 4;

// The other rule, of calls that lay a structure out in the caller's buffer
// and take its size in bytes through a pointer (WNetGetUniversalNameW):
//   - the answer is the system's code, 0 for success;
//   - `moreData` (ERROR_MORE_DATA) means the buffer was too small, and the
//     call has written the size it needs into its size argument.
// `fill(bytes, size)` makes the call; the bytes, from operator new, are
// aligned for any structure. Its last answer comes back.
template <typename Fill>
std::uint32_t filledBytes(std::vector<std::byte>& buffer, std::size_t size, std::uint32_t moreData, Fill fill) {
    while (size <= kLargestFilledBytes) {
        buffer.assign(size, std::byte{});
        std::size_t needed = size;
        const auto answer = static_cast<std::uint32_t>(fill(buffer.data(), needed));
        if (answer != moreData) return answer;
        // A size no larger than the last is no answer; the buffer doubles then.
        size = needed > size ? needed : size * 2;
    }
    return moreData;
}

}  // namespace tarnvel
