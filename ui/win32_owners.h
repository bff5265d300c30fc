#pragma once
// The kinds of handle the program owns, each given back by its own call.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "tarnvel/unique_owner.h"

namespace tarnvel::ui {

// Either of the two values that mean no handle: CreateFileW fails with one, most other calls with the other.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value none() noexcept { return nullptr; }
    static bool holds(Value handle) noexcept { return handle && handle != INVALID_HANDLE_VALUE; }
    static void close(Value handle) noexcept { CloseHandle(handle); }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

using UniqueFont = UniqueOwner<ClosedBy<HFONT, DeleteObject>>;
using UniqueIcon = UniqueOwner<ClosedBy<HICON, DestroyIcon>>;
// The files of one WM_DROPFILES; the drop is finished when its owner goes.
using DroppedFiles = UniqueOwner<ClosedBy<HDROP, DragFinish>>;
// Memory that a call allocated for its answer (CommandLineToArgvW, FormatMessageW).
template <typename T>
using LocalMemory = UniqueOwner<ClosedBy<T*, LocalFree>>;

// A window class of this module, registered until the owner goes.
struct WindowClassTraits {
    using Value = ATOM;
    static constexpr Value none() noexcept { return 0; }
    static bool holds(Value atom) noexcept { return atom != 0; }
    static void close(Value atom) noexcept { UnregisterClassW(MAKEINTATOM(atom), GetModuleHandleW(nullptr)); }
};
using WindowClass = UniqueOwner<WindowClassTraits>;

// GetDC's device context, which goes back to the window it came from (none: the screen).
struct WindowDcValue {
    HWND window = nullptr;
    HDC dc = nullptr;
};
struct WindowDcTraits {
    using Value = WindowDcValue;
    static constexpr Value none() noexcept { return {}; }
    static bool holds(Value value) noexcept { return value.dc != nullptr; }
    static void close(Value value) noexcept { ReleaseDC(value.window, value.dc); }
};
using WindowDc = UniqueOwner<WindowDcTraits>;
inline WindowDc dcOf(HWND window) { return WindowDc({window, GetDC(window)}); }

// This thread in a single-threaded COM apartment, left when the owner goes.
// A thread already in one of the other kind (RPC_E_CHANGED_MODE) was not
// entered, so is not left either.
struct ComApartmentTraits {
    using Value = bool;
    static constexpr Value none() noexcept { return false; }
    static bool holds(Value entered) noexcept { return entered; }
    static void close(Value) noexcept { CoUninitialize(); }
};
using ComApartment = UniqueOwner<ComApartmentTraits>;
inline ComApartment enterComApartment() {
    return ComApartment(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)));
}

template <typename Interface>
struct ComReleaseTraits {
    using Value = Interface*;
    static constexpr Value none() noexcept { return nullptr; }
    static bool holds(const Interface* object) noexcept { return object != nullptr; }
    static void close(Value object) noexcept { object->Release(); }
};

// One reference to a COM object, released when the owner goes.
template <typename Interface>
class ComPtr : public UniqueOwner<ComReleaseTraits<Interface>> {
public:
    using UniqueOwner<ComReleaseTraits<Interface>>::UniqueOwner;
    Interface* operator->() const noexcept { return this->get(); }
};

}  // namespace tarnvel::ui
