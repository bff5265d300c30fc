#pragma once
// Copying the leading blocks of a source into the output file.

#include <cstdint>
#include <string>
#include <string_view>

#include "tarnvel/cut_types.h"
#include "tarnvel/file_io.h"

namespace tarnvel {

// C:\tarnvel.<strExt>: always the root of drive C:, always this base name.
std::u16string outputPathFor(std::u16string_view strExt);

// Where a cut ended, so the window can offer more than the notice: a cut
// that could not create its output may be retried with other rights.
enum class CutEnd { Done, OpenSource, CreateOutput, SameFile, Read, Write, SourceEnded, Unexpected };

struct CutOutcome {
    MessageNotice notice;
    CutEnd end = CutEnd::Done;
    SystemError error = kNoError;  // the system's code where it failed
};

// Never throws: every failure comes back as an exclamation notice, with both
// files closed and the progress position back at 1.
CutOutcome runHeadCut(const CutRequest& request, ProgressSink& sink, std::u16string_view output);

}  // namespace tarnvel
