#pragma once
// Picture objects: the platform's OLE picture (IPicture and IPictureDisp on one object).
// A Picture value is a shared reference: copies name the same object, nothing is copied.

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
    // A picture with opacity of its own (picture_opacity.h) is blended over what `dc` shows;
    // its premultiplied words as drawn (rows top to bottom) are then returned.
    std::optional<std::vector<std::uint32_t>> renderAtOrigin(HDC dc, SIZE sizePx) const;
    // The same into a 32-bit image, where a picture with opacity is blended in place.
    std::optional<std::vector<std::uint32_t>> renderAtOrigin(win::DibSurface& image,
                                                             SIZE sizePx) const;

    IPicture* get() const noexcept { return picture_.get(); }
    win::ComPtr<IPictureDisp> dispatch() const { return picture_.query<IPictureDisp>(); }

    friend bool operator==(const Picture& a, const Picture& b) noexcept {
        return a.picture_ == b.picture_;
    }

private:
    // The picture's own premultiplied pixels scaled to `sizePx`, when it carries opacity.
    std::optional<std::vector<std::uint32_t>> ownWords(SIZE sizePx) const;
    // Draws a picture without opacity of its own through the picture object.
    void renderWithoutOpacity(HDC dc, SIZE sizePx) const;
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
// picture_opacity.h); an empty path gives an
// empty picture. Throws the runtime's errors: file not found, invalid picture (empty,
// damaged, truncated or foreign files), out of memory (sizes that cannot be held).
Picture loadPicture(std::wstring_view path);

// A picture object from the bytes of a picture file; `what` names them in errors.
Picture pictureFromBytes(std::span<const std::uint8_t> bytes, std::wstring_view what);

// A new picture object of type none: size 0, draws nothing.
Picture emptyPicture();

} // namespace cutshape::runtime
