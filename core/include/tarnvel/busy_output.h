#pragma once
// Why the output cannot be had right now, told apart from missing rights:
// another Tarnvel is writing it, or an old one is still on its way out.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "tarnvel/file_io.h"

namespace tarnvel {

// The named object a cut holds while it writes an output. The name is fixed,
// so anyone could make it first; what it may then tell is decided below.
// Hashed, since a path may be longer than a name and holds backslashes.
inline std::u16string claimNameFor(std::u16string_view upperCasedPath) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const char16_t unit : upperCasedPath) {
        hash ^= unit;
        hash *= 1099511628211ULL;
    }
    std::u16string name = u"Global\\Tarnvel.Output.";
    for (int shift = 60; shift >= 0; shift -= 4) name += u"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

enum class ClaimAnswer {
    Claimed,        // this cut holds the name
    HeldElsewhere,  // another Tarnvel, of any user or elevation, holds it
    CannotTell,     // the output's own open decides
};

// From the creation of the claim's object: whether a handle came back, and
// Windows' code. Access denied is no proof of another Tarnvel: anyone may
// have made the name first with a DACL that shuts others out, and an app
// container may not use Global\ at all.
ClaimAnswer claimAnswerFor(bool created, SystemError error);

// What is known of an output that could not be created.
struct BlockedOutputFacts {
    SystemError error = kNoError;    // the creation's code
    bool listed = false;             // its folder still lists the name
    bool attributesRefused = false;  // not even an open for its attributes, shared every way, succeeds
    bool removedHereLately = false;  // this process removed that output moments ago
};

// A file deleted while another program (a virus scanner, the indexer, a
// preview) still holds it stays listed, and Windows refuses every open of it
// with access denied until that program lets go. Any other denial is rights.
bool oldOutputBeingRemoved(const BlockedOutputFacts& facts);

// How long a cut tries again to create an output whose old one is on its way
// out, timed on the steady clock: a count of short sleeps would last twice as
// long on Windows, whose Sleep rounds up to the clock's 15.6 ms tick.
inline constexpr std::chrono::seconds kOldOutputWait{2};

enum class BlockedOutputStep {
    Report,                   // the creation's own failure: rights, no such folder, in use
    OpenAgainAtOnce,          // a denial not yet tried again
    WaitAndOpenAgain,         // an old output on its way out, within the wait
    ReportStillBeingRemoved,  // it is still on its way out once the wait is over
};

// The old output can go between the failed open and the look-up, leaving a
// denial that reads as missing rights; so one denial that is not an old
// output's is tried again at once before it is reported. waited: since the
// cut first tried to create the output.
BlockedOutputStep nextStepFor(const BlockedOutputFacts& facts, bool openedAgainAtOnce,
                              std::chrono::steady_clock::duration waited);

// The in-process record behind removedHereLately: the last output this
// process removed, and when.
void noteOutputRemoved(std::u16string_view path, std::chrono::steady_clock::time_point when);
bool outputRemovedLately(std::u16string_view path, std::chrono::steady_clock::time_point now);

}  // namespace tarnvel
