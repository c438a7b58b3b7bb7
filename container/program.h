#pragma once
// A program's life: its start-up form is created from the bundled description, the form's
// Initialize handler runs (its first use of a control loads the form), the form is shown
// and window events drive the handlers until the form is unloaded. An error no handler
// traps is reported in a message box with its number and description, and the program
// ends with exit code 1.

#include "container/form_instance.h"

#include <string_view>

namespace cutshape::container {

// Runs the program whose start-up form is the bundled file `formFile`; returns its exit
// code: 0 after the form was unloaded, 1 after an unhandled error.
int runProgram(std::string_view formFile, EventHandlers handlers);

// The text with which an unhandled error is reported.
std::wstring unhandledErrorReport(const win::Error& error);

} // namespace cutshape::container
