#pragma once
// Text of form descriptions (UTF-8) as the Windows calls take it (UTF-16).

#include <string>
#include <string_view>

namespace cutshape::runtime {

std::wstring widen(std::string_view utf8);

} // namespace cutshape::runtime
