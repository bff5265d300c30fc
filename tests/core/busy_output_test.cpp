#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "tarnvel/busy_output.h"

namespace tarnvel {
namespace {

// The claim is made with Windows' codes on every platform.
TEST(OutputClaim, OnlyAnObjectThatExistsAndOpensIsAnotherCut) {
    using enum ClaimAnswer;
    struct Case {
        bool created;
        SystemError error;
        ClaimAnswer answer;
    };
    const Case cases[] = {
        {true, 0, Claimed},
        {true, 183, HeldElsewhere},  // ERROR_ALREADY_EXISTS: another Tarnvel made it, of any user
        // Made first with a DACL that shuts others out, or by a user this
        // process may not open; or Global\ refused, as in an app container.
        {false, 5, CannotTell},
        {false, 6, CannotTell},     // ERROR_INVALID_HANDLE: another kind of object has the name
        {false, 123, CannotTell},   // ERROR_INVALID_NAME
        {false, 183, CannotTell},   // no handle, whatever the code says
        {false, 1450, CannotTell},  // ERROR_NO_SYSTEM_RESOURCES
    };
    for (const Case& c : cases)
        EXPECT_EQ(claimAnswerFor(c.created, c.error), c.answer) << "created " << c.created << ", error " << c.error;
}

TEST(OutputClaim, TheNameIsOneShortObjectNamePerOutput) {
    const std::u16string name = claimNameFor(u"C:\\TARNVEL.MPG");
    EXPECT_EQ(name, claimNameFor(u"C:\\TARNVEL.MPG"));
    EXPECT_TRUE(name.starts_with(u"Global\\Tarnvel.Output.")) << "one per machine, every session";
    EXPECT_EQ(name.find(u'\\', 7), std::u16string::npos) << "a backslash would name a folder of objects";
    EXPECT_NE(name, claimNameFor(u"C:\\TARNVEL.MPEG"));
    EXPECT_NE(name, claimNameFor(u"C:\\TARNVEL.MPF"));
    EXPECT_EQ(claimNameFor(std::u16string(4000, u'X')).size(), name.size());
}

#ifdef _WIN32
constexpr SystemError kDenied = 5, kInUse = 32, kNoFolder = 3;
#else
constexpr SystemError kDenied = EACCES, kInUse = EBUSY, kNoFolder = ENOENT;
#endif

TEST(OldOutput, IsWaitedForOnlyWhenStillListedAndOnItsWayOut) {
    struct Case {
        const char* what;
        BlockedOutputFacts facts;
        bool beingRemoved;
    };
    const Case cases[] = {
        {"delete-pending", {kDenied, true, true, false}, true},
        {"removed here moments ago", {kDenied, true, false, true}, true},
        {"both", {kDenied, true, true, true}, true},
        // C:\ refuses a standard user: the name is not there, or it is a
        // file one may not write, which still opens for its attributes.
        {"no rights, no file", {kDenied, false, false, false}, false},
        {"no rights, someone else's file", {kDenied, true, false, false}, false},
        {"gone by now", {kDenied, false, true, true}, false},
        {"in use, not denied", {kInUse, true, true, true}, false},
        {"no such folder", {kNoFolder, false, false, true}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(oldOutputBeingRemoved(c.facts), c.beingRemoved) << c.what;
}

TEST(OldOutput, IsWaitedForUntilItsDeadlineAndADenialIsOpenedOnceMoreBeforeItIsReported) {
    using enum BlockedOutputStep;
    using std::chrono::milliseconds;
    const BlockedOutputFacts pending{kDenied, true, true, false}, removedHere{kDenied, true, false, true},
        goneMeanwhile{kDenied, false, false, false}, someoneElses{kDenied, true, false, false},
        noFolder{kNoFolder, false, false, true}, inUse{kInUse, true, true, true};
    struct Case {
        const char* what;
        BlockedOutputFacts facts;
        bool openedAgainAtOnce;
        milliseconds waited;
        BlockedOutputStep step;
    };
    const Case cases[] = {
        {"on its way out, at once", pending, false, milliseconds(0), WaitAndOpenAgain},
        {"on its way out, just inside the wait", pending, false, milliseconds(1999), WaitAndOpenAgain},
        {"on its way out, the wait over", pending, false, milliseconds(2000), ReportStillBeingRemoved},
        {"removed here, long after", removedHere, true, milliseconds(4000), ReportStillBeingRemoved},
        {"on its way out again after opening again", pending, true, milliseconds(100), WaitAndOpenAgain},
        // The old output went between the failed open and the look-up.
        {"gone meanwhile", goneMeanwhile, false, milliseconds(0), OpenAgainAtOnce},
        {"gone meanwhile during the wait", goneMeanwhile, false, milliseconds(1500), OpenAgainAtOnce},
        {"gone meanwhile, denied once more", goneMeanwhile, true, milliseconds(0), Report},
        {"someone else's file", someoneElses, false, milliseconds(0), OpenAgainAtOnce},
        {"someone else's file, denied once more", someoneElses, true, milliseconds(0), Report},
        {"no such folder", noFolder, false, milliseconds(0), Report},
        {"in use", inUse, false, milliseconds(0), Report},
    };
    for (const Case& c : cases) EXPECT_EQ(nextStepFor(c.facts, c.openedAgainAtOnce, c.waited), c.step) << c.what;
}

TEST(OldOutput, ARemovalCountsForThatOutputAndForAMinute) {
    using std::chrono::seconds;
    const auto then = std::chrono::steady_clock::now();
    noteOutputRemoved(u"C:\\tarnvel.mpg", then);
    struct Case {
        const char16_t* path;
        std::chrono::steady_clock::duration later;
        bool lately;
    };
    const Case cases[] = {
        {u"C:\\tarnvel.mpg", seconds(0), true},   {u"C:\\tarnvel.mpg", seconds(59), true},
        {u"C:\\TARNVEL.MPG", seconds(5), true},   {u"C:\\tarnvel.mpg", seconds(61), false},
        {u"C:\\tarnvel.mpg", seconds(-1), false}, {u"C:\\tarnvel.jpeg", seconds(1), false},
        {u"C:\\tarnvel.mp", seconds(1), false},
    };
    for (const Case& c : cases) {
        const std::u16string path = c.path;
        EXPECT_EQ(outputRemovedLately(path, then + c.later), c.lately)
            << std::string(path.begin(), path.end()) << " after "
            << std::chrono::duration_cast<seconds>(c.later).count() << " s";
    }
    noteOutputRemoved(u"", {});
    EXPECT_FALSE(outputRemovedLately(u"C:\\tarnvel.mpg", then));
}

}  // namespace
}  // namespace tarnvel
