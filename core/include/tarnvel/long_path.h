#pragma once
// Paths beyond MAX_PATH. Windows' file calls take them only in the
// extended-length form (\\?\C:\..., \\?\UNC\server\share\...), which the
// system passes on without normalising: no . or .., no /, and trailing dots
// and spaces are kept. So a path is resolved in full first, and only the
// calls see the long form; the user sees the path as they know it.

#include <string>
#include <string_view>

namespace tarnvel {

// MAX_PATH, the terminator included.
inline constexpr std::size_t kMaxPathUnits = 260;

// The extended-length form of a full, normalised path that does not fit
// within MAX_PATH. Everything else comes back unchanged: a path that fits
// (it keeps the usual meaning of device names and trailing dots), one already
// in a device form, and any path that is relative or not yet normalised,
// which the long form would send to another file.
std::u16string longPathForm(std::u16string_view fullPath);

// An extended-length path as a user writes it (C:\..., \\server\share\...)
// where that form fits within MAX_PATH and means the same file; else unchanged.
std::u16string shownPath(std::u16string_view path);

// The part that names the drive or the share: "C:\" or "\\server\share\";
// empty for a relative path or a device form.
std::u16string_view pathRoot(std::u16string_view path);

// \\?\..., \\.\... or \??\...: a path the system takes as it is given.
bool isDeviceForm(std::u16string_view path);

}  // namespace tarnvel
