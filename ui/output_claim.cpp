#include "output_claim.h"

#include <string>
#include <utility>

namespace tarnvel::ui {

namespace {

// As the file system compares names: one file whatever the case it is typed in.
std::u16string upperCase(std::u16string_view path) {
    const std::wstring text = wide(path);
    const int length = static_cast<int>(text.size());
    std::wstring upper(text.size(), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), length, upper.data(), length, nullptr,
                      nullptr, 0) != length)
        return std::u16string(path);
    return utf16(upper);
}

// A DACL that lets everyone wait on the object and nothing more: a Tarnvel
// of another user, or unelevated beside an elevated one, then opens it and
// learns that it exists. The object's integrity label (high, when made
// elevated) forbids writing up only, and waiting is no write.
class EveryoneMaySynchronize {
public:
    EveryoneMaySynchronize() {
        DWORD sidSize = sizeof everyone_;
        built_ = CreateWellKnownSid(WinWorldSid, nullptr, everyone_, &sidSize) &&
                 InitializeAcl(&acl_.header, sizeof acl_, ACL_REVISION) &&
                 AddAccessAllowedAce(&acl_.header, ACL_REVISION, SYNCHRONIZE, everyone_) &&
                 InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&descriptor_, TRUE, &acl_.header, FALSE);
    }
    EveryoneMaySynchronize(const EveryoneMaySynchronize&) = delete;
    EveryoneMaySynchronize& operator=(const EveryoneMaySynchronize&) = delete;

    // None where it could not be built: the object then gets the default
    // DACL, and others are told nothing rather than refused.
    SECURITY_ATTRIBUTES* attributes() { return built_ ? &attributes_ : nullptr; }

private:
    alignas(DWORD) BYTE everyone_[SECURITY_MAX_SID_SIZE]{};
    struct {
        ACL header;
        BYTE room[sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
    } acl_{};
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{sizeof attributes_, &descriptor_, FALSE};
    bool built_ = false;
};

struct CreatedObject {
    UniqueHandle handle;
    DWORD error = ERROR_SUCCESS;
};

// Only the name counts: the object is never waited on, and it goes with the
// last handle, so a Tarnvel that was killed leaves no claim behind. Global,
// because drive C: is one for every session on the machine.
CreatedObject createObject(std::u16string_view outputPath) {
    EveryoneMaySynchronize security;
    const std::wstring name = wide(claimNameFor(upperCase(outputPath)));
    SetLastError(ERROR_SUCCESS);
    HANDLE handle = CreateMutexExW(security.attributes(), name.c_str(), 0, SYNCHRONIZE);
    const DWORD error = GetLastError();
    return {UniqueHandle(handle), error};
}

}  // namespace

OutputClaim::OutputClaim(std::u16string_view outputPath) {
    CreatedObject created = createObject(outputPath);
    // Refused or failed: the output's own open, whose sharing is the real
    // lock, says what is wrong.
    answer_ = claimAnswerFor(static_cast<bool>(created.handle), created.error);
    object_ = std::move(created.handle);
}

}  // namespace tarnvel::ui
