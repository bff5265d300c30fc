#pragma once
// What tests may ask and set of the file layer beyond what a cut uses: how a
// file opened for writing is marked to go, and a refusal of the newer mark,
// so that both ways of removing an output can be run on any one system.

#include "tarnvel/file_io.h"

namespace tarnvel {

enum class RemovalMark {
    None,  // unmarked: refused both ways, or POSIX, which has no mark
    // FileDispositionInfoEx with POSIX semantics: the name goes as this
    // handle closes, though another program may hold the file still.
    NameGoesWithThisHandle,
    // FileDispositionInfo: the name stays until every handle to the file has closed.
    NameGoesWithTheLastHandle,
};

struct FileLayerProbe {
    static RemovalMark markOf(const File& file);
    // Until set back to kNoError, the newer mark is taken as refused with
    // this code without asking the system, as FAT, exFAT and older Windows
    // refuse it. Taking a mark off is never refused here.
    static void refuseTheNewerMark(SystemError code);
};

}  // namespace tarnvel
