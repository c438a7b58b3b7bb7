#pragma once
// Objects of an in-process server loaded by path, without registration: the library's own
// DllGetClassObject hands out the class factory. The library stays loaded for the process.

#include "win/com_ptr.h"

#include <string>

namespace cutshape::container {

// The loaded library; throws Error when it cannot be loaded.
HMODULE loadServerLibrary(const std::wstring& path);

// The class factory of `clsid` in `library`; throws Error when the library exports no
// DllGetClassObject or does not serve the class.
win::ComPtr<IClassFactory> classFactoryOf(HMODULE library, REFCLSID clsid);

// A new instance of `clsid` from the library at `path`.
win::ComPtr<IUnknown> createFromLibrary(const std::wstring& path, REFCLSID clsid);

} // namespace cutshape::container
