#pragma once
// The Load benchmark: Load through IDispatch beside its parts and its floor.

#include "tests/support/windows_pictures.h"

#include <string>

namespace cutshape::bench {

// Hosts the control from `libraryPath` on a shown form and prints the table. With
// `skipOverLimit`, pictures whose outline is over the window system's region limit are not
// loaded: a build of the control that does not refuse them would end the program there.
void printLoadFloor(const test::TempFolder& folder, const std::wstring& libraryPath,
                    bool skipOverLimit);

// Load of a picture with a fringe (its soft edge shown beside the form) beside Load of the
// same picture with its alpha cut to 0 and 255, in turns, so that each soft Load makes its
// edge anew; medians and their ratio.
void printSoftEdgeCost(const test::TempFolder& folder, const std::wstring& libraryPath);

} // namespace cutshape::bench
