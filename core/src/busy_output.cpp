#include "tarnvel/busy_output.h"

#include <algorithm>

namespace tarnvel {

namespace {

constexpr SystemError kWindowsAlreadyExists = 183;  // ERROR_ALREADY_EXISTS

// Long enough to cover a stopped cut's report read and Cut開始 pressed again.
constexpr std::chrono::seconds kLately{60};

struct Removal {
    std::u16string path;
    std::chrono::steady_clock::time_point when;
};

Removal& lastRemoval() {
    static Removal removal;
    return removal;
}

// The output's name differs between cuts only in its extension, typed in
// whatever case the source had.
bool sameName(std::u16string_view a, std::u16string_view b) {
    const auto fold = [](char16_t unit) { return unit >= u'a' && unit <= u'z' ? unit - u'a' + u'A' : unit; };
    return std::ranges::equal(a, b, [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

}  // namespace

ClaimAnswer claimAnswerFor(bool created, SystemError error) {
    if (!created) return ClaimAnswer::CannotTell;
    return error == kWindowsAlreadyExists ? ClaimAnswer::HeldElsewhere : ClaimAnswer::Claimed;
}

bool oldOutputBeingRemoved(const BlockedOutputFacts& facts) {
    return errorKind(facts.error) == ErrorKind::AccessDenied && facts.listed &&
           (facts.attributesRefused || facts.removedHereLately);
}

BlockedOutputStep nextStepFor(const BlockedOutputFacts& facts, bool openedAgainAtOnce,
                              std::chrono::steady_clock::duration waited) {
    if (oldOutputBeingRemoved(facts))
        return waited >= kOldOutputWait ? BlockedOutputStep::ReportStillBeingRemoved
                                        : BlockedOutputStep::WaitAndOpenAgain;
    if (errorKind(facts.error) == ErrorKind::AccessDenied && !openedAgainAtOnce)
        return BlockedOutputStep::OpenAgainAtOnce;
    return BlockedOutputStep::Report;
}

void noteOutputRemoved(std::u16string_view path, std::chrono::steady_clock::time_point when) {
    lastRemoval() = {std::u16string(path), when};
}

bool outputRemovedLately(std::u16string_view path, std::chrono::steady_clock::time_point now) {
    const Removal& removal = lastRemoval();
    return !removal.path.empty() && sameName(removal.path, path) && now - removal.when <= kLately &&
           now >= removal.when;
}

}  // namespace tarnvel
