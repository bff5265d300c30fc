#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// The current directory of another process, as its own GetCurrentDirectoryW
// would answer (with the trailing backslash Windows keeps there). The handle
// needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
std::wstring currentDirectoryOf(HANDLE process);

}  // namespace e2e
