#pragma once
// Test helpers that need Windows: a temporary folder, picture files only the system can
// encode (JPEG through WIC, metafiles through GDI), memory streams, and a window's size and
// region.

#include "core/rect.h"
#include "tests/support/picture_files.h"
#include "win/com_ptr.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>
#include <windows.h>

namespace cutshape::test {

// A fresh folder under the user's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const noexcept { return path_; }
    // Writes `bytes` to `name` inside the folder and returns the file's full path.
    std::filesystem::path write(const std::wstring& name,
                                std::span<const std::uint8_t> bytes) const;

private:
    std::filesystem::path path_;
};

// Baseline JPEG of the image, through the system's WIC encoder.
std::vector<std::uint8_t> encodeJpeg(const Image& image);

// A widthPx x heightPx enhanced metafile (frame at 96 dpi): a white background, or none, with a
// black filled rectangle from (left, top) to (right, bottom) in pixels.
std::vector<std::uint8_t> makeEnhancedMetafile(int widthPx, int heightPx, RECT figure,
                                               bool paintsBackground = true);

// The same drawing as a placeable Windows metafile (1440 units per inch, 15 per pixel).
std::vector<std::uint8_t> makePlaceableMetafile(int widthPx, int heightPx, RECT figure);

// A memory stream holding `bytes`, at its start; and all that a memory stream holds.
win::ComPtr<IStream> memoryStream(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> streamBytes(IStream* stream);

// The window's outer size, and its region as rectangles (none when it has no region).
SIZE windowSize(HWND window);
core::Rects windowRegion(HWND window);

} // namespace cutshape::test
