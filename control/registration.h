#pragma once
// Self-registration of Cutshape.ocx: the bodies of DllRegisterServer, DllUnregisterServer and
// DllInstall. What is written comes from the one table in registration_data.h.

#include <windows.h>

namespace cutshape::control {

// Registers the control class, its programmatic identifier, the embedded type library and
// the earlier interface identifiers the compatibility maps answer, all for `module`.
// On failure it removes what it wrote and returns the error.
HRESULT registerServer(HMODULE module) noexcept;

// Removes exactly what registerServer writes; what is already missing counts as removed.
HRESULT unregisterServer(HMODULE module) noexcept;

// DllInstall. The command line "user" (in any case) registers or unregisters everything for
// the current user only, below HKEY_CURRENT_USER\Software\Classes, and leaves the machine's
// classes alone; no command line (or an empty one) does what registerServer or
// unregisterServer do; any other is E_INVALIDARG.
HRESULT installServer(HMODULE module, bool install, const wchar_t* commandLine) noexcept;

} // namespace cutshape::control
