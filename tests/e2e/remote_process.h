#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// The current directory of another process, as its own GetCurrentDirectoryW
// would answer (with the trailing backslash Windows keeps there). The handle
// needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
std::wstring currentDirectoryOf(HANDLE process);

// Runs LoadLibraryW(name) on a new thread of another process and waits for
// it, as when code inside that process loads a DLL by name; kernel32 lies at
// the same address in every process of a session. The handle needs
// PROCESS_CREATE_THREAD, PROCESS_QUERY_INFORMATION, PROCESS_VM_OPERATION,
// PROCESS_VM_READ and PROCESS_VM_WRITE.
void loadLibraryInside(HANDLE process, const std::wstring& name, DWORD timeoutMs);

}  // namespace e2e
