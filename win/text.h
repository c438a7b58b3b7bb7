#pragma once
// Narrow text (UTF-8, of which ASCII is part) as the Windows calls take it (UTF-16).

#include <string>
#include <string_view>

namespace cutshape::win {

std::wstring widen(std::string_view utf8);

} // namespace cutshape::win
