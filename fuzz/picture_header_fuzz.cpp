// Feeds arbitrary bytes to the picture-file inspection, which sees every file a user picks
// before any decoder does. It may refuse a file only with PictureFileError; a picture it
// accepts must have a size within the limit that the staging image can hold.

#include "core/picture_header.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cutshape::core;
    try {
        const PictureHeader header = inspectPictureFile({data, size});
        if (header.widthPx < 0 || header.heightPx < 0 ||
            header.widthPx * header.heightPx > kMaxPicturePixels)
            std::abort();
    } catch (const PictureFileError&) {
        // Refused: the expected answer for almost every input.
    }
    return 0;
}
