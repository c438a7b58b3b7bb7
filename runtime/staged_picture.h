#pragma once
// A picture staged for shaping: drawn once, at its natural size at one resolution, over a
// background colour, into a persistent 32-bit image whose pixels can be read at any time.

#include "core/color.h"
#include "core/pixel_view.h"
#include "runtime/picture.h"
#include "runtime/screen.h"
#include "win/gdi.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace cutshape::runtime {

// The system colour a picture is staged over by default (button face). A picture's own
// transparency does not depend on it: such pixels are staged transparent (picture.h).
inline constexpr core::Color kButtonFaceColor = 0x8000000Fu;

class StagedPicture {
public:
    explicit StagedPicture(core::Color background = kButtonFaceColor) noexcept
        : background_(background) {}

    // Draws `picture` (shared, not copied) at its natural size at `at`: into the image the
    // staging has when the size stays, else into a new one taken on only when everything
    // succeeded. A failed drawing leaves the staging as it was. An empty picture, or none,
    // stages no pixels.
    void stage(Picture picture, const Resolution& at);

    const Picture& picture() const noexcept { return picture_; }
    const Resolution& resolution() const noexcept { return at_; }

    // The staged size in twips, at the staging's resolution.
    float widthTwips() const noexcept {
        return static_cast<float>(widthPx_) * at_.twipsPerPixelX();
    }
    float heightTwips() const noexcept {
        return static_cast<float>(heightPx_) * at_.twipsPerPixelY();
    }
    std::int32_t widthPx() const noexcept { return widthPx_; }
    std::int32_t heightPx() const noexcept { return heightPx_; }

    // The device context of the persistent image, in pixels, origin at the top-left corner.
    HDC hDC() const noexcept { return image_.dc(); }
    // The persistent image's pixels, for reading many at once.
    core::PixelView pixels() const noexcept { return image_.pixels(); }
    // The picture's own premultiplied pixels as last drawn into the image, when it carries
    // alpha of its own; an empty view otherwise.
    core::PixelView ownPixels() const noexcept;

    // The pixels of every image the staging has drawn so far: what its changes have cost.
    std::int64_t pixelsDrawn() const noexcept { return pixelsDrawn_; }

private:
    struct OwnPixels {
        std::vector<std::uint32_t> words; // premultiplied, rows top to bottom
        SIZE sizePx{0, 0};
    };
    std::optional<OwnPixels> draw(win::DibSurface& image, const Picture& picture, SIZE sizePx);

    core::Color background_;
    Picture picture_;
    Resolution at_;
    std::int32_t widthPx_ = 0;
    std::int32_t heightPx_ = 0;
    win::DibSurface image_{0, 0};
    OwnPixels own_;
    std::int64_t pixelsDrawn_ = 0;
};

} // namespace cutshape::runtime
