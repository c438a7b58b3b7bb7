#pragma once
// The picture side of the shape check: a BMP file read into colours 0x00BBGGRR, the value a
// pixel read of the drawn picture reports. The reader is the tool's own, shared with nothing
// it checks, so a fault in the project's picture code cannot hide itself.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace cutshape::xshape {

struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> colours; // 0x00BBGGRR, rows top to bottom

    std::uint32_t at(std::int32_t x, std::int32_t y) const {
        return colours[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
    }
};

// Reads uncompressed 8-bit (palette), 24-bit and 32-bit BMP files, bottom-up or top-down.
// Throws std::runtime_error saying what it cannot read.
Picture decodeBmp(std::span<const std::uint8_t> bytes);
Picture loadBmp(const std::filesystem::path& path);

} // namespace cutshape::xshape
