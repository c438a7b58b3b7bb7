#pragma once
// What a loaded module holds: the file it came from and its string resources.

#include <string>
#include <windows.h>

namespace cutshape::win {

// The module's full path, however long; throws win::Error when the system cannot say.
std::wstring moduleFileName(HMODULE module);

// The module's string resource `id`; throws win::Error when the module has none.
std::wstring moduleString(HMODULE module, UINT id);

} // namespace cutshape::win
