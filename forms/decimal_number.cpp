#include "forms/decimal_number.h"

#include <charconv>
#include <cmath>

namespace cutshape::forms {

std::optional<float> parseDecimal(std::string_view text) {
    // from_chars ignores the locale and, unlike strtof, takes no leading blanks or '+'.
    const char* first = text.data();
    const char* last = first + text.size();
    float value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace cutshape::forms
