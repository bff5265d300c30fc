// The image's load configuration, for MinGW-w64 builds: MSVC's C runtime
// brings its own and the linker fills it in (/DEPENDENTLOADFLAG), MinGW-w64's
// brings none. scripts/set-load-config.py points the image's directory at it,
// which GNU ld does not.
//
// DependentLoadFlags is read by Windows 10 1607 and later when the loader
// resolves this image's own static imports: only the system folder is
// searched for them. Microsoft promises nothing for what those DLLs import
// in turn, so it is defence in depth, not the program's only guard.
// Older systems read the fields they know and pass over the rest.

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace tarnvel::ui {

// IMAGE_LOAD_CONFIG_DIRECTORY64 up to the SEH fields; older MinGW-w64
// headers call DependentLoadFlags Reserved1, so the layout is spelled out.
struct LoadConfig {
    std::uint32_t size = 0;
    std::uint32_t timeDateStamp = 0;
    std::uint16_t majorVersion = 0;
    std::uint16_t minorVersion = 0;
    std::uint32_t globalFlagsClear = 0;
    std::uint32_t globalFlagsSet = 0;
    std::uint32_t criticalSectionDefaultTimeout = 0;
    std::uint64_t deCommitFreeBlockThreshold = 0;
    std::uint64_t deCommitTotalFreeThreshold = 0;
    std::uint64_t lockPrefixTable = 0;
    std::uint64_t maximumAllocationSize = 0;
    std::uint64_t virtualMemoryThreshold = 0;
    std::uint64_t processAffinityMask = 0;
    std::uint32_t processHeapFlags = 0;
    std::uint16_t csdVersion = 0;
    std::uint16_t dependentLoadFlags = 0;
    std::uint64_t editList = 0;
    std::uint64_t securityCookie = 0;  // none: MinGW-w64's runtime sets up its own
    std::uint64_t seHandlerTable = 0;
    std::uint64_t seHandlerCount = 0;
};
static_assert(offsetof(LoadConfig, dependentLoadFlags) == 0x4E);
static_assert(sizeof(LoadConfig) == 0x70);

}  // namespace tarnvel::ui

// The name the loader's convention and set-load-config.py look for.
extern "C" const tarnvel::ui::LoadConfig _load_config_used{
    // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
    .size = sizeof(tarnvel::ui::LoadConfig),
    .dependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32,
};
