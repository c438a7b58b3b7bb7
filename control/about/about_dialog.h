#pragma once
// The control's About box (the form frmAcercaDe): the library's title and version, a
// support notice, a legal notice, and a button that starts the system-information tool.

#include <windows.h>

namespace cutshape::control::about {

// Creates a new About box for the library `module` (whose App values and icons it shows)
// and shows it modally with no owner window; returns once the user has closed it.
// Throws Error when the dialog cannot be created or shown.
void showAboutDialog(HMODULE module);

} // namespace cutshape::control::about
