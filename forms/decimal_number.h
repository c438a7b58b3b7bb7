#pragma once
// Numbers in form descriptions are plain decimals ("4680", "-12", "0.5"). They are read the
// same way whatever the process's locale is: a description must not mean something else on
// a machine whose decimal separator is a comma.

#include <optional>
#include <string_view>

namespace cutshape::forms {

// The value of `text` if all of it is a finite decimal without exponent; nothing otherwise.
std::optional<float> parseDecimal(std::string_view text);

} // namespace cutshape::forms
