// Paths as POSIX spells them: UTF-8 bytes.
#include "tarnvel/text.h"

namespace tarnvel {

std::filesystem::path toPath(std::u16string_view text) { return {std::u16string(text)}; }

std::u16string pathText(const std::filesystem::path& path) { return path.u16string(); }

}  // namespace tarnvel
