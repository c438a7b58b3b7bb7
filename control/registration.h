#pragma once
// Self-registration of Cutshape.ocx: the bodies of DllRegisterServer and DllUnregisterServer.

#include <windows.h>

namespace cutshape::control {

// Registers the control class, its programmatic identifier, the embedded type library and
// the earlier interface identifiers the compatibility maps answer, all for `module`.
// On failure it removes what it wrote and returns the error.
HRESULT registerServer(HMODULE module) noexcept;

// Removes exactly what registerServer writes; what is already missing counts as removed.
HRESULT unregisterServer(HMODULE module) noexcept;

} // namespace cutshape::control
