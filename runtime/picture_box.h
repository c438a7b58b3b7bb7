#pragma once
// A picture box that is never shown: it holds a picture and keeps it, drawn over its
// background colour, in a persistent 32-bit image whose device context reads pixels at any
// time. Lengths are twips; the box snaps them to whole screen pixels, as a shown box would.
// Position and visibility are kept as plain values, since the box has no window.

#include "core/color.h"
#include "core/pixel_view.h"
#include "runtime/picture.h"
#include "win/gdi.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace cutshape::runtime {

// The system colour a new picture box paints its background with (button face).
inline constexpr core::Color kButtonFaceColor = 0x8000000Fu;

class PictureBox {
public:
    enum BorderStyle : std::int16_t { kBorderNone = 0, kBorderFixedSingle = 1 };

    // A box with the given design layout in twips, a fixed single border, no picture.
    PictureBox(float leftTwips, float topTwips, float widthTwips, float heightTwips);

    const Picture& picture() const noexcept { return picture_; }
    // Shares `picture` (no copy); with AutoSize on the box takes the picture's size.
    // Leaves the box unchanged when the new image cannot be allocated.
    void setPicture(Picture picture);

    bool visible() const noexcept { return visible_; }
    void setVisible(bool visible) noexcept { visible_ = visible; }
    float left() const noexcept { return left_; }
    void setLeft(float twips) noexcept { left_ = twips; }
    float top() const noexcept { return top_; }
    void setTop(float twips) noexcept { top_ = twips; }

    std::int16_t borderStyle() const noexcept { return borderStyle_; }
    void setBorderStyle(std::int16_t style);

    bool autoRedraw() const noexcept { return autoRedraw_; }
    void setAutoRedraw(bool autoRedraw) noexcept { autoRedraw_ = autoRedraw; }

    bool autoSize() const noexcept { return autoSize_; }
    void setAutoSize(bool autoSize);

    // The outer size in twips.
    float width() const noexcept;
    float height() const noexcept;
    // Throws the runtime's overflow or division-by-zero error for lengths that have no
    // pixel size.
    void setWidth(float twips);
    void setHeight(float twips);
    // Gives the box `picture` at the given outer size whatever AutoSize says: one image,
    // drawn at the new size only, so nothing depends on the size the box had before.
    void setPictureAndSize(Picture picture, float widthTwips, float heightTwips);

    core::Color backColor() const noexcept { return backColor_; }
    void setBackColor(core::Color color);

    // The device context of the persistent image, in pixels, origin at the top-left corner
    // inside the border.
    HDC hDC() const noexcept { return image_.dc(); }
    // The persistent image's pixels, for reading many at once.
    core::PixelView pixels() const noexcept { return image_.pixels(); }
    // The picture's own premultiplied pixels as last drawn into the image, when it carries
    // opacity of its own; an empty view otherwise.
    core::PixelView ownPixels() const noexcept;

    std::int32_t widthPx() const noexcept { return widthPx_; }
    std::int32_t heightPx() const noexcept { return heightPx_; }

    // The pixels of every image the box has drawn so far: what its changes have cost.
    std::int64_t pixelsDrawn() const noexcept { return pixelsDrawn_; }

private:
    std::int32_t borderPx() const noexcept;
    // Whether the image already shows the box's picture with these settings.
    bool shows(std::int32_t widthPx, std::int32_t heightPx, std::int16_t borderStyle,
               core::Color backColor) const noexcept;
    // Draws the box at the given size, border and picture: into its image when the size of
    // the image stays, else into a new image taken on only when everything succeeded. A
    // failed drawing leaves the box and its image as they were.
    void redraw(std::int32_t widthPx, std::int32_t heightPx, std::int16_t borderStyle,
                const Picture& picture, core::Color backColor);
    std::optional<SIZE> autoSizeFor(const Picture& picture, std::int16_t borderStyle) const;

    Picture picture_;
    bool visible_ = true;
    float left_;
    float top_;
    std::int16_t borderStyle_ = kBorderFixedSingle;
    bool autoRedraw_ = false;
    bool autoSize_ = false;
    std::int32_t widthPx_ = 0;
    std::int32_t heightPx_ = 0;
    core::Color backColor_ = kButtonFaceColor;
    win::DibSurface image_{0, 0};
    struct OwnPixels {
        std::vector<std::uint32_t> words; // premultiplied, rows top to bottom
        SIZE sizePx{0, 0};
    };
    OwnPixels own_;
    std::int64_t pixelsDrawn_ = 0;
};

} // namespace cutshape::runtime
