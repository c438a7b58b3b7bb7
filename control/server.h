#pragma once
// The in-process server: the module the control lives in and its class factory.

#include <string>
#include <windows.h>

namespace cutshape::control {

// The module holding the control's code and resources (the library, or a program that
// links the control in).
HMODULE moduleHandle() noexcept;
std::wstring modulePath();

// DllGetClassObject: the class factory for the control's class, else
// CLASS_E_CLASSNOTAVAILABLE.
HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** result) noexcept;

// DllCanUnloadNow: S_OK when no control object and no factory lock is outstanding.
HRESULT canUnloadNow() noexcept;

} // namespace cutshape::control
