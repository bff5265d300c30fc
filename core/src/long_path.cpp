#include "tarnvel/long_path.h"

#include <algorithm>
#include <array>

namespace tarnvel {

namespace {

constexpr std::u16string_view kExtended = u"\\\\?\\";
constexpr std::u16string_view kExtendedUnc = u"\\\\?\\UNC\\";

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool isDrivePath(std::u16string_view path) {
    return path.size() >= 3 && isLetter(path[0]) && path[1] == u':' && path[2] == u'\\';
}

// \\server\share\...: the two backslashes, then a name.
bool isUncPath(std::u16string_view path) {
    return path.size() > 2 && path.starts_with(u"\\\\") && path[2] != u'\\' && !isDeviceForm(path);
}

bool isReservedDeviceName(std::u16string_view component) {
    std::u16string base(component.substr(0, component.find(u'.')));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(),
                   [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; });
    static constexpr std::array<std::u16string_view, 4> kNames = {u"CON", u"PRN", u"AUX", u"NUL"};
    if (std::find(kNames.begin(), kNames.end(), base) != kNames.end()) return true;
    return base.size() == 4 && (base.starts_with(u"COM") || base.starts_with(u"LPT")) && base[3] >= u'1' &&
           base[3] <= u'9';
}

// Whether Windows' normalisation would leave the path as it is. Resolving a
// path has already dealt with trailing dots and device names as Windows does,
// so only a path shown to the user is checked for them. The first components
// (a drive, or a server and share) are taken as they stand.
bool survivesNormalisation(std::u16string_view path, std::size_t from, bool resolved) {
    if (path.find(u'/') != std::u16string_view::npos) return false;
    while (from < path.size()) {
        std::size_t end = path.find(u'\\', from);
        if (end == std::u16string_view::npos) end = path.size();
        const std::u16string_view component = path.substr(from, end - from);
        if (component.empty() && end != path.size()) return false;
        if (component == u"." || component == u"..") return false;
        if (resolved) {
            from = end + 1;
            continue;
        }
        if (!component.empty() && (component.back() == u'.' || component.back() == u' ')) return false;
        if (isReservedDeviceName(component)) return false;
        from = end + 1;
    }
    return true;
}

// Where the part below the drive or the share begins.
std::size_t firstComponent(std::u16string_view path, bool unc) {
    if (!unc) return 3;
    const std::size_t share = path.find(u'\\', 2);
    if (share == std::u16string_view::npos) return path.size();
    const std::size_t below = path.find(u'\\', share + 1);
    return below == std::u16string_view::npos ? path.size() : below + 1;
}

}  // namespace

bool isDeviceForm(std::u16string_view path) {
    return path.starts_with(kExtended) || path.starts_with(u"\\\\.\\") || path.starts_with(u"\\??\\");
}

std::u16string longPathForm(std::u16string_view fullPath) {
    const bool drive = isDrivePath(fullPath), unc = isUncPath(fullPath);
    if (fullPath.size() < kMaxPathUnits || (!drive && !unc) ||
        !survivesNormalisation(fullPath, firstComponent(fullPath, unc), true))
        return std::u16string(fullPath);
    return drive ? std::u16string(kExtended) + std::u16string(fullPath)
                 : std::u16string(kExtendedUnc) + std::u16string(fullPath.substr(2));
}

std::u16string shownPath(std::u16string_view path) {
    std::u16string plain;
    if (path.starts_with(kExtendedUnc))
        plain = u"\\\\" + std::u16string(path.substr(kExtendedUnc.size()));
    else if (path.starts_with(kExtended))
        plain = path.substr(kExtended.size());
    else
        return std::u16string(path);
    const bool unc = isUncPath(plain);
    if (plain.size() >= kMaxPathUnits || (!unc && !isDrivePath(plain)) ||
        !survivesNormalisation(plain, firstComponent(plain, unc), false))
        return std::u16string(path);
    return plain;
}

std::u16string_view pathRoot(std::u16string_view path) {
    const bool unc = isUncPath(path);
    if (!unc && !isDrivePath(path)) return {};
    return path.substr(0, firstComponent(path, unc));
}

}  // namespace tarnvel
