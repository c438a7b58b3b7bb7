#include "win/gdi.h"

#include "win/error.h"
#include "win/gdi_watch.h"

#include <algorithm>
#include <utility>

namespace cutshape::win {

UniqueWindowDc GetDC(HWND window) {
    UniqueWindowDc dc(window, ::GetDC(window));
    if (!dc)
        throw Error(E_OUTOFMEMORY, L"GetDC: no device context is available.");
    return dc;
}

UniqueMemoryDc CreateCompatibleDC(HDC dc) {
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    if (!memory)
        throw Error(E_OUTOFMEMORY, L"CreateCompatibleDC: no device context is available.");
    return memory;
}

UniqueBrush CreateSolidBrush(COLORREF color) {
    UniqueBrush brush(::CreateSolidBrush(color));
    if (!brush)
        throw Error(E_OUTOFMEMORY, L"CreateSolidBrush: no brush is available.");
    return brush;
}

UniqueBitmap createDibSection(std::int32_t widthPx, std::int32_t heightPx, std::uint32_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = widthPx;
    info.bmiHeader.biHeight = -heightPx; // top-down: row 0 first in memory
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap || !pixels)
        throw Error(E_OUTOFMEMORY, L"CreateDIBSection: not enough memory for a " +
                                       std::to_wstring(widthPx) + L" x " +
                                       std::to_wstring(heightPx) + L" pixel image.");
    bits = static_cast<std::uint32_t*>(pixels);
    return bitmap;
}

DibSurface::DibSurface(std::int32_t widthPx, std::int32_t heightPx)
    : dc_(win::CreateCompatibleDC(nullptr)) {
    if (widthPx <= 0 || heightPx <= 0) {
        GdiWatch::surfaceCreated(dc_.get(), false);
        return; // an empty image: the DC keeps its default bitmap and reads nothing of ours
    }
    bitmap_ = createDibSection(widthPx, heightPx, bits_);
    width_ = widthPx;
    height_ = heightPx;
    originalBitmap_ = ::SelectObject(dc_.get(), bitmap_.get());
    GdiWatch::surfaceCreated(dc_.get(), true);
}

DibSurface::DibSurface(DibSurface&& other) noexcept
    : dc_(std::move(other.dc_)), bitmap_(std::move(other.bitmap_)),
      originalBitmap_(std::exchange(other.originalBitmap_, nullptr)),
      bits_(std::exchange(other.bits_, nullptr)), width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)), hasAlpha_(std::exchange(other.hasAlpha_, false)) {}

DibSurface& DibSurface::operator=(DibSurface&& other) noexcept {
    if (this != &other) {
        destroy();
        dc_ = std::move(other.dc_);
        bitmap_ = std::move(other.bitmap_);
        originalBitmap_ = std::exchange(other.originalBitmap_, nullptr);
        bits_ = std::exchange(other.bits_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        hasAlpha_ = std::exchange(other.hasAlpha_, false);
    }
    return *this;
}

DibSurface::~DibSurface() {
    destroy();
}

// The bitmap leaves the device context before either is deleted.
void DibSurface::destroy() noexcept {
    if (!dc_)
        return;
    if (originalBitmap_)
        ::SelectObject(dc_.get(), originalBitmap_);
    GdiWatch::surfaceGone(dc_.get());
    dc_.reset();
    bitmap_.reset();
    originalBitmap_ = nullptr;
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
    hasAlpha_ = false;
}

core::PixelView DibSurface::pixels() const noexcept {
    ::GdiFlush();
    return core::PixelView{bits_, width_, height_, width_, hasAlpha_};
}

std::uint32_t* DibSurface::writablePixels() noexcept {
    ::GdiFlush();
    return bits_;
}

void DibSurface::setAlpha(const std::vector<std::uint32_t>& words, SIZE sizePx) noexcept {
    ::GdiFlush();
    for (std::int32_t y = 0; y < height_; ++y) {
        std::uint32_t* row = bits_ + static_cast<std::ptrdiff_t>(y) * width_;
        for (std::int32_t x = 0; x < width_; ++x) {
            const bool covered = x < sizePx.cx && y < sizePx.cy;
            const std::uint32_t alpha =
                covered ? words[static_cast<std::size_t>(y) * static_cast<std::size_t>(sizePx.cx) +
                                static_cast<std::size_t>(x)] &
                              0xFF000000u
                        : 0xFF000000u;
            row[x] = (row[x] & 0x00FFFFFFu) | alpha;
        }
    }
    hasAlpha_ = true;
}

void DibSurface::fill(COLORREF color) noexcept {
    hasAlpha_ = false;
    if (!bits_)
        return;
    // Straight into the pixels: no brush to run out of. Colours are 0x00BBGGRR, pixels
    // 0x00RRGGBB.
    const std::uint32_t pixel = (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
    ::GdiFlush();
    std::fill(bits_, bits_ + static_cast<std::size_t>(width_) * height_, pixel);
}

} // namespace cutshape::win
