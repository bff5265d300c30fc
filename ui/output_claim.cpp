#include "output_claim.h"

#include <cstdint>
#include <string>

namespace tarnvel::ui {

namespace {

// As the file system compares names: one file whatever the case it is typed in.
std::wstring upperCase(std::u16string_view path) {
    std::wstring text = wide(path);
    const int length = static_cast<int>(text.size());
    std::wstring upper(text.size(), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), length, upper.data(), length, nullptr,
                      nullptr, 0) != length)
        return text;
    return upper;
}

// Global, because drive C: is one for every session on the machine. A path
// may be longer than an object name, and holds backslashes, which a name
// may not; its hash stands in for it.
std::wstring objectNameFor(std::u16string_view path) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const wchar_t unit : upperCase(path)) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 1099511628211ULL;
    }
    std::wstring name = L"Global\\Tarnvel.Output.";
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

// Only the name counts: the object is never waited on, and it goes with the
// last handle, so a Tarnvel that was killed leaves no claim behind.
HANDLE createObject(const std::wstring& name) {
    SetLastError(ERROR_SUCCESS);
    return CreateMutexW(nullptr, FALSE, name.c_str());
}

}  // namespace

OutputClaim::OutputClaim(std::u16string_view outputPath) : object_(createObject(objectNameFor(outputPath))) {
    const DWORD error = GetLastError();
    // Access denied: it exists, made by a process whose object this one may
    // not open (elevated, or another user's). Any other failure leaves the
    // cut as it was before claims: its open says what is wrong.
    heldElsewhere_ = object_.get() ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

}  // namespace tarnvel::ui
