#pragma once
// The file a loaded module came from.

#include <string>
#include <windows.h>

namespace cutshape::win {

// The module's full path, however long; throws win::Error when the system cannot say.
std::wstring moduleFileName(HMODULE module);

} // namespace cutshape::win
