#pragma once
// UTF-16 text helpers. Paths and texts stay UTF-16 end to end so that the
// extension rule counts the same code units on every platform.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tarnvel {

std::u16string decimalText(std::int64_t number);

// Lone surrogates survive on Windows, where file names are plain UTF-16.
// Defined per system, beside its file layer.
std::filesystem::path toPath(std::u16string_view text);
std::u16string pathText(const std::filesystem::path& path);

std::u16string asciiToUtf16(std::string_view ascii);

}  // namespace tarnvel
