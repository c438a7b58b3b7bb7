#pragma once
// Whether a hosted control still does its work, after whatever was done to it: a figure on a
// white background shapes the form exactly, and Restore gives back a full rectangle.

#include "tests/control/control_harness.h"

#include <string>

namespace cutshape::test {

// Empty when the control loads a 120 x 90 figure (mask colour white, set here) into its
// form's size and outline, and restores a full rectangular region; otherwise what differs.
std::string shapingFault(const HostedControl& hosted);

} // namespace cutshape::test
