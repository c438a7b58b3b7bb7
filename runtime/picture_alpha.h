#pragma once
// The alpha a picture carries in its own pixels: a 32-bit bitmap whose alpha channel is in
// use (neither all 0, the unused byte of older bitmaps, nor all 255), or an icon or cursor
// (its 32-bit image's alpha, else its AND mask). It is read from the picture's bitmaps, never
// from what drawing it leaves on a background.

#include "win/com_ptr.h"
#include "win/handles.h"

#include <cstdint>
#include <ocidl.h>
#include <optional>
#include <span>
#include <vector>
#include <windows.h>

namespace cutshape::runtime {

class PictureAlpha {
public:
    // The picture's own pixels when they carry alpha; nothing for every other picture.
    static std::optional<PictureAlpha> read(IPicture* picture);

    // The pixels scaled nearest-neighbour to `sizePx` (each one of the picture's own, as a
    // bitmap is drawn): premultiplied 0xAARRGGBB words, rows top to bottom.
    std::vector<std::uint32_t> scaled(SIZE sizePx) const;

    // The pixels as a 32-bit bitmap file, rows bottom-up with the premultiplied alpha in the top
    // bytes: the form in which a picture with alpha is stored.
    std::vector<std::uint8_t> bitmapFile() const;
    // A picture object over a DIB section of a 32-bit bitmap file's pixels when their alpha is
    // in use; nothing for any other file (the system's loader reads those).
    static std::optional<win::ComPtr<IPicture>>
    pictureOfBitmapFile(std::span<const std::uint8_t> file);

    std::int32_t width() const noexcept { return width_; }
    std::int32_t height() const noexcept { return height_; }

private:
    PictureAlpha(std::int32_t width, std::int32_t height, std::vector<std::uint32_t> words)
        : width_(width), height_(height), words_(std::move(words)) {}

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint32_t> words_; // premultiplied, top-down
};

// A picture object that owns `bitmap` (deleted when the picture goes; also when this throws).
win::ComPtr<IPicture> pictureOwning(win::UniqueBitmap bitmap);

// Blends premultiplied words of `sizePx`, rows top to bottom, over what `dc` shows from its
// origin.
void blendAtOrigin(HDC dc, const std::vector<std::uint32_t>& words, SIZE sizePx);
// The same over top-down 32-bit pixels of widthPx x heightPx, in place: no image of its own,
// which at large sizes costs more in fresh memory than the blend.
void blendOver(std::uint32_t* pixels, std::int32_t widthPx, std::int32_t heightPx,
               const std::vector<std::uint32_t>& words, SIZE sizePx) noexcept;

} // namespace cutshape::runtime
