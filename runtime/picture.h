#pragma once
// Picture objects: the platform's OLE picture (IPicture and IPictureDisp on one object).
// A Picture value is a shared reference: copies name the same object, nothing is copied.

#include "core/picture_header.h"
#include "win/com_ptr.h"
#include "win/gdi.h"

#include <ocidl.h>
#include <olectl.h>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cutshape::runtime {

class Picture {
public:
    Picture() noexcept = default; // no picture object at all
    // Shares the picture behind `object`; throws the runtime's type-mismatch error when the
    // object is not a picture.
    static Picture fromObject(IUnknown* object);

    // Whether there is no picture object (as opposed to an empty one).
    bool isNothing() const noexcept { return !picture_; }
    // Whether the picture draws nothing: no object, or an object of type none.
    bool isEmpty() const noexcept;

    // The picture's natural size in HIMETRIC units (0.01 mm); 0 x 0 when empty. Throws the
    // picture's own error when it cannot tell its size.
    SIZE sizeHimetric() const;
    // The picture's natural size in pixels on a screen of the given resolution. A bitmap's
    // or icon's pixel is 1/96 inch whoever loaded it and whatever size in HIMETRIC it states
    // (loaders state it from their own screen's resolution), so it covers dpi/96 screen
    // pixels; a metafile keeps the physical size it states. Throws as sizeHimetric.
    SIZE sizePixels(int dpiX, int dpiY) const;

    // Draws the picture at `sizePx` with its top-left corner at (0, 0). A bitmap is scaled
    // nearest-neighbour: every pixel drawn is one of the picture's own, so a scaled figure
    // shows no blend of its background colour at its edges.
    // A picture with alpha of its own (picture_alpha.h) is blended over what `dc` shows;
    // its premultiplied words as drawn (rows top to bottom) are then returned.
    std::optional<std::vector<std::uint32_t>> renderAtOrigin(HDC dc, SIZE sizePx) const;
    // Fills a 32-bit image with `background` and draws the picture over it from its origin;
    // a picture with alpha is blended in place. A bitmap the system draws through a mask of
    // its own (a GIF's transparent colour) is drawn over black and over white first: a pixel
    // that differs shows the background and is returned as transparent, whatever colour the
    // file gives it. Returns the picture's premultiplied words as drawn, when it has alpha.
    std::optional<std::vector<std::uint32_t>> renderOver(win::DibSurface& image,
                                                         COLORREF background, SIZE sizePx) const;

    IPicture* get() const noexcept { return picture_.get(); }
    win::ComPtr<IPictureDisp> dispatch() const { return picture_.query<IPictureDisp>(); }

    friend bool operator==(const Picture& a, const Picture& b) noexcept {
        return a.picture_ == b.picture_;
    }

private:
    // The picture's own premultiplied pixels scaled to `sizePx`, when it carries alpha
    // (picture_alpha.h).
    std::optional<std::vector<std::uint32_t>> ownWords(SIZE sizePx) const;
    // Whether drawing the picture leaves some of its pixels as they were: a bitmap the system
    // draws through a mask (a GIF's transparent colour), or a metafile, which draws only
    // what its records paint. Those pixels are the picture's own transparency.
    bool leavesPixelsUndrawn() const noexcept;
    // The picture drawn into `image` over black and over white: a pixel that differs is
    // transparent (0), any other opaque in its own colour. The image is left drawn over.
    std::vector<std::uint32_t> transparencyByDrawing(win::DibSurface& image, SIZE sizePx) const;
    // Draws a picture without alpha of its own through the picture object.
    void renderWithoutAlpha(HDC dc, SIZE sizePx) const;
    // A bitmap's or icon's own size in pixels; nothing for other pictures.
    std::optional<SIZE> bitmapPixels() const;

    explicit Picture(win::ComPtr<IPicture> picture) noexcept : picture_(std::move(picture)) {}
    friend Picture pictureFromBytes(std::span<const std::uint8_t> bytes, std::wstring_view what);
    friend Picture pictureOfBitmap(std::span<const std::uint8_t> bytes, const std::wstring& name);
    friend Picture emptyPicture();

    win::ComPtr<IPicture> picture_;
};

// A picture object from a BMP, GIF, JPEG, PNG, TIFF, ICO, WMF or EMF file (PNG and TIFF
// through the imaging component; those and 32-bit bitmaps keep their alpha:
// picture_alpha.h); an empty path gives an
// empty picture. Throws the runtime's errors: file not found, invalid picture (empty,
// damaged, truncated or foreign files), out of memory (sizes that cannot be held).
Picture loadPicture(std::wstring_view path);

// The format and size of a picture file's bytes, checked as every picture is before a
// decoder sees it (core/picture_header.h); `what` names them in the runtime's errors:
// invalid picture, or out of memory for a size that cannot be held.
core::PictureHeader inspectedPicture(std::span<const std::uint8_t> bytes, std::wstring_view what);

// A picture object from the bytes of a picture file; `what` names them in errors.
Picture pictureFromBytes(std::span<const std::uint8_t> bytes, std::wstring_view what);

// A new picture object of type none: size 0, draws nothing.
Picture emptyPicture();

} // namespace cutshape::runtime
