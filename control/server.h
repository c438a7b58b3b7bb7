#pragma once
// The in-process server: the module the control lives in and its class factory.

#include <string>
#include <windows.h>

namespace cutshape::control {

// The module holding the control's code and resources (the library, or a program that
// links the control in).
HMODULE moduleHandle() noexcept;
std::wstring modulePath();

// The identifier `iid` stands for: itself, or the current identifier an earlier one maps to
// in this library's compatibility map of type `map` (kDefaultInterfaceMap or
// kEventInterfaceMap). Each map is read once: the resources do not change while the library
// is loaded. A library without the map answers current identifiers only.
GUID currentIdentifier(REFIID iid, const wchar_t* map) noexcept;

// DllGetClassObject: the class factory for the control's class, else
// CLASS_E_CLASSNOTAVAILABLE.
HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** result) noexcept;

// DllCanUnloadNow: S_OK when no control object and no factory lock is outstanding.
HRESULT canUnloadNow() noexcept;

} // namespace cutshape::control
