#pragma once
// The runtime's global services that start programs, look for files and ask the user:
// Shell, Dir and MsgBox.

#include <string>
#include <string_view>
#include <windows.h>

namespace cutshape::runtime {

// Starts `commandLine` as a separate program whose first window uses `showCommand`
// (SW_SHOWNORMAL: a normal window with the focus) and returns its process identifier at
// once, without waiting for it. Throws the runtime's file-not-found error when the program
// cannot be started.
DWORD shell(std::wstring_view commandLine, WORD showCommand);

// The name (without folder) of the first normal file matching `pattern`: not a folder,
// not hidden, not a system file. Empty when there is none.
std::wstring dir(std::wstring_view pattern);

// A modal message box owned by `owner` (may be null); returns the button pressed.
int msgBox(HWND owner, std::wstring_view text, UINT style, std::wstring_view title);

} // namespace cutshape::runtime
