#pragma once
// Device-independent bitmaps the project draws into and reads back.

#include "core/pixel_view.h"
#include "win/handles.h"

#include <cstdint>
#include <vector>

namespace cutshape::win {

// A top-down 32-bit DIB section selected into its own memory device context. Its pixels
// can be read directly (after GdiFlush) while GDI draws into its DC.
// Wrappers of one call each, named after it: they return the owner of what the call made and
// throw Error naming the call when it made nothing.
UniqueWindowDc GetDC(HWND window);
UniqueMemoryDc CreateCompatibleDC(HDC dc);
UniqueBrush CreateSolidBrush(COLORREF color);

// A top-down 32-bit DIB section and its pixels. Throws Error(E_OUTOFMEMORY) when the system
// cannot allocate it.
UniqueBitmap createDibSection(std::int32_t widthPx, std::int32_t heightPx, std::uint32_t*& bits);

class DibSurface {
public:
    // Throws Error(E_OUTOFMEMORY) when the system cannot allocate the image.
    DibSurface(std::int32_t widthPx, std::int32_t heightPx);
    DibSurface(DibSurface&& other) noexcept;
    DibSurface& operator=(DibSurface&& other) noexcept;
    ~DibSurface();

    HDC dc() const noexcept { return dc_.get(); }
    std::int32_t width() const noexcept { return width_; }
    std::int32_t height() const noexcept { return height_; }

    // The pixels, after every pending GDI drawing has reached them.
    core::PixelView pixels() const noexcept;
    // The same pixels to write, rows top to bottom, width() words each.
    std::uint32_t* writablePixels() noexcept;

    // Fills the image with one colour; it has no alpha then.
    void fill(COLORREF color) noexcept;
    // Gives the image alpha: the top bytes of `words` (sizePx, rows top to bottom) over the
    // pixels they cover from the origin, every other pixel opaque.
    void setAlpha(const std::vector<std::uint32_t>& words, SIZE sizePx) noexcept;

private:
    void destroy() noexcept;

    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ originalBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool hasAlpha_ = false;
};

} // namespace cutshape::win
