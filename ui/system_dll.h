#pragma once
// DLLs of the system, taken from the system folder only. Beside the program
// (often Downloads) any file may lie under a system DLL's name, and the
// standard search looks there first; these never look anywhere else.

#include <windows.h>

#include <string>

namespace tarnvel::ui {

// Keeps every later load of the process out of the program's folder and the
// current one. Called first thing, before anything can load a DLL by name.
void restrictDllSearchToSystemFolder();

// GetSystemDirectoryW, however long; empty when it fails.
std::wstring systemFolder();

// The system folder's DLL of that name, loaded by its full path; null if it
// is not there. Never freed: the calls looked up in it live as long as the program.
HMODULE loadSystemDll(const wchar_t* name);

// A call looked up at run time; null when the module or the call is missing.
template <typename Call>
Call lookUp(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through void(*)(), which GCC accepts as a cast to any function type.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// WNetGetUniversalNameW from the system folder's mpr.dll, which is no
// KnownDLL; ERROR_NO_NETWORK when it cannot be had.
DWORD universalName(const wchar_t* localPath, DWORD infoLevel, void* buffer, DWORD* bufferSize);

}  // namespace tarnvel::ui
