#pragma once
// The Windows file layer's own: the system there resolves a path against the
// current folder of the process, and a long one only in its long form.

#include <string>
#include <string_view>

namespace tarnvel {

// What the file calls are given for a path: resolved against the current
// folder (GetFullPathNameW) and then in its long form where it needs one.
std::u16string systemPath(std::u16string_view path);

}  // namespace tarnvel
