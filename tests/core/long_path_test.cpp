// Paths beyond MAX_PATH reach the system in their extended-length form.

#include <gtest/gtest.h>

#include <string>

#include "tarnvel/long_path.h"

#ifdef _WIN32
#include "tarnvel/system_path.h"
#endif

namespace tarnvel {
namespace {

std::string narrow(std::u16string_view text) { return {text.begin(), text.end()}; }

// Folders of 50 units each until the path is at least `units` long.
std::u16string deep(std::u16string_view start, std::size_t units) {
    std::u16string path(start);
    while (path.size() < units) path += u"\\" + std::u16string(49, u'f');
    return path + u"\\clip.mpg";
}

TEST(LongPath, OnlyFullNormalisedPathsBeyondMaxPathGetTheLongForm) {
    const std::u16string drive = deep(u"C:", 300), unc = deep(u"\\\\server\\share", 300);
    const std::u16string fits = u"C:\\" + std::u16string(kMaxPathUnits - 4, u'a');  // 259 units
    const std::u16string onePast = fits + u"b";
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\data\\movie.mpg", u"C:\\data\\movie.mpg"},
        {fits, fits},
        {onePast, u"\\\\?\\" + onePast},
        {drive, u"\\\\?\\" + drive},
        {u"d" + drive.substr(1), u"\\\\?\\d" + drive.substr(1)},
        {unc, u"\\\\?\\UNC\\" + unc.substr(2)},
        {u"\\\\?\\" + drive, u"\\\\?\\" + drive},
        {u"\\\\?\\UNC\\" + unc.substr(2), u"\\\\?\\UNC\\" + unc.substr(2)},
        {u"\\\\.\\" + drive, u"\\\\.\\" + drive},
        // Not resolved yet: the long form would take these literally.
        {drive.substr(3), drive.substr(3)},
        {u"C:" + drive.substr(3), u"C:" + drive.substr(3)},
        {drive.substr(2), drive.substr(2)},
        {u"C:/" + drive.substr(3), u"C:/" + drive.substr(3)},
        {u"C:\\x\\..\\" + drive.substr(3), u"C:\\x\\..\\" + drive.substr(3)},
        {u"C:\\.\\" + drive.substr(3), u"C:\\.\\" + drive.substr(3)},
        {u"C:\\x\\\\" + drive.substr(3), u"C:\\x\\\\" + drive.substr(3)},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(longPathForm(path), expected) << path.size() << " " << narrow(path.substr(0, 40));
}

TEST(LongPath, TheShownFormDropsThePrefixOnlyWhereItMeansTheSameFile) {
    const std::u16string drive = deep(u"C:", 300);
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\\\\?\\C:\\動画\\clip.mpg", u"C:\\動画\\clip.mpg"},
        {u"\\\\?\\UNC\\server\\share\\clip.mpg", u"\\\\server\\share\\clip.mpg"},
        {u"\\\\?\\" + drive, u"\\\\?\\" + drive},
        {u"\\\\?\\C:\\clip.mpg.", u"\\\\?\\C:\\clip.mpg."},
        {u"\\\\?\\C:\\folder \\clip.mpg", u"\\\\?\\C:\\folder \\clip.mpg"},
        {u"\\\\?\\C:\\x\\..\\clip.mpg", u"\\\\?\\C:\\x\\..\\clip.mpg"},
        {u"\\\\?\\C:\\x/clip.mpg", u"\\\\?\\C:\\x/clip.mpg"},
        {u"\\\\?\\C:\\x\\nul.mpg", u"\\\\?\\C:\\x\\nul.mpg"},
        {u"\\\\?\\C:\\x\\COM1", u"\\\\?\\C:\\x\\COM1"},
        {u"\\\\?\\C:\\x\\COM10.mpg", u"C:\\x\\COM10.mpg"},
        {u"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-100000000000}\\clip.mpg",
         u"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-100000000000}\\clip.mpg"},
        {u"C:\\clip.mpg", u"C:\\clip.mpg"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(shownPath(path), expected) << narrow(path.substr(0, 60));
}

TEST(LongPath, TheRootNamesTheDriveOrTheShare) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"D:\\video\\clip.mpg", u"D:\\"},
        {u"\\\\server\\share\\clip.mpg", u"\\\\server\\share\\"},
        {u"\\\\server\\share", u"\\\\server\\share"},
        {u"video\\clip.mpg", u""},
        {u"\\\\?\\D:\\clip.mpg", u""},
    };
    for (const auto& [path, root] : cases) EXPECT_EQ(pathRoot(path), root) << narrow(path);
}

#ifdef _WIN32
TEST(LongPath, TheSystemGetsResolvedPathsInTheFormTheyNeed) {
    const std::u16string drive = deep(u"C:", 300);
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\a\\.\\b/../c.mpg", u"C:\\a\\c.mpg"},
        {u"C:\\a\\clip.mpg.", u"C:\\a\\clip.mpg"},
        {u"C:\\x\\..\\" + drive.substr(3), u"\\\\?\\" + drive},
        {u"C:/" + drive.substr(3), u"\\\\?\\" + drive},
        {u"\\\\?\\C:\\x\\..\\y", u"\\\\?\\C:\\x\\..\\y"},
        {u"", u""},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(systemPath(path), expected) << narrow(path.substr(0, 40));
}
#endif

}  // namespace
}  // namespace tarnvel
