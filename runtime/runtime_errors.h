#pragma once
// The host runtime's own errors, as automation errors with the runtime's numbers and texts.

#include "core/arithmetic_error.h"
#include "win/error.h"

#include <string_view>

namespace cutshape::runtime {

win::Error fileNotFoundError(std::wstring_view path);
win::Error pathNotFoundError(std::wstring_view path);
win::Error invalidPictureError(std::wstring_view detail);
win::Error outOfMemoryError(std::wstring_view detail);
win::Error overflowError();
win::Error divisionByZeroError();
win::Error typeMismatchError();
// Error 5, "Invalid procedure call or argument".
win::Error invalidArgumentError();

// The runtime's error for an arithmetic fault of the size computation.
win::Error arithmeticError(const core::ArithmeticError& fault);

} // namespace cutshape::runtime
