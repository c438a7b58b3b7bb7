#pragma once
// A decoder written from the file format, independent of the writers in picture_writer.h, so
// a misunderstanding of a format cannot cancel out between writing and reading.

#include "core/color.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cutshape::testing {

struct DecodedGif {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<core::Color> palette; // the whole global table
    std::optional<std::uint8_t> transparentIndex;
    std::vector<std::uint8_t> indices;
    int maxCodeSize = 0;
    int clearCodes = 0;
};

// A strict decoder: the code width must grow exactly when the table fills, the data must end
// with the end code, and nothing but the final byte's padding may follow it. Throws
// std::runtime_error naming the fault.
DecodedGif decodeGif(std::span<const std::uint8_t> file);

} // namespace cutshape::testing
