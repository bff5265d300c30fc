// Tarnvel.exe in Downloads among DLLs that something left there under the
// names of system DLLs: mpr.dll, which the program once imported, and those
// the system's own code loads by name while the program runs. Windows always
// looks beside the program first for a DLL that is no KnownDLL; Wine does so
// only for names set native-first (scripts/e2e-config.sh planted-dlls).

#include <string>

#include "configuration.h"
#include "fixture.h"
#include "planted_dlls.h"
#include "readme_editor.h"
#include "remote_process.h"

namespace e2e {
namespace {

const char* const kPlantedDlls[] = {PLANTED_DLL_NAMES};
// No system has a DLL of this name, so only the copy beside the program can
// answer a load of it by bare name.
const char kProbeDll[] = "tarnvel_probe.dll";

class PlantedDlls : public ::testing::Test {
protected:
    void SetUp() override {
        if (runningUnderWine() && activeConfiguration() != "planted-dlls") GTEST_SKIP() << skipNote("planted-dlls");
        const std::wstring& exe = tarnvelExe();
        copyFile(exe, scratch / "Tarnvel.exe");
        copyFile(exe.substr(0, exe.find_last_of(L'\\') + 1) + L"readme.txt", scratch / "readme.txt");
        for (const char* name : kPlantedDlls) copyFile(besideThisProgram(L"planted.dll"), scratch / name);
        copyFile(besideThisProgram(L"planted.dll"), scratch / kProbeDll);
    }

    Scratch scratch;
};

TEST_F(PlantedDlls, NoneIsLoadedFromStartThroughTheDialogCutAboutAndReadmeToClose) {
    const Bytes bytes = pattern(3000, 9);
    const std::wstring source = scratch / "動画クリップ.mpg";
    writeBytes(source, bytes);
    {
        App app{App::Start{.exe = scratch / "Tarnvel.exe"}};
        app.chooseFile(source);
        EXPECT_EQ(app.cut("2"), kDone);
        EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 2000));

        app.pickMenuItem(1);
        HWND about = nullptr;
        waitUntil([&] { return (about = findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS)) != nullptr; }, kWaitMs);
        ASSERT_TRUE(about) << "no About window";
        PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(app.main()) != FALSE; }, kWaitMs));

        EditorWindow editor;
        app.pickMenuItem(0);
        waitUntil([&] { return (editor.window = findReadmeEditor(app.pid())) != nullptr; }, 15000);
        EXPECT_TRUE(editor.window) << "no editor window with readme in its title";

        // Wine's own late loads come from its builtins or by full path, so
        // this load stands in for those that Windows' shell and the code of
        // other makers in the open dialog make by name.
        const Handle process(OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                             PROCESS_VM_READ | PROCESS_VM_WRITE,
                                         FALSE, app.pid()));
        ASSERT_TRUE(process.get()) << "cannot open the program's process, error " << GetLastError();
        loadLibraryInside(process.get(), wide(kProbeDll), kWaitMs);

        PostMessageW(app.main(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(app.waitExit(kWaitMs)) << "the program did not close";
    }
    for (const char* name : kPlantedDlls)
        EXPECT_FALSE(exists(scratch / (std::string(name) + ".loaded"))) << "the " << name << " beside the program ran";
    EXPECT_FALSE(exists(scratch / (std::string(kProbeDll) + ".loaded")))
        << "the " << kProbeDll << " beside the program ran";
}

}  // namespace
}  // namespace e2e
