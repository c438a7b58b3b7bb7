#pragma once
// Files a program carries inside its executable: its form description and the pictures and
// cursors the description names, each a raw-data resource named after the file.

#include <cstdint>
#include <span>
#include <string_view>

namespace cutshape::container {

// The bytes of the bundled file `name`; they live as long as the program. Throws the
// runtime's file-not-found error when the program carries no such file.
std::span<const std::uint8_t> bundledFile(std::string_view name);

} // namespace cutshape::container
