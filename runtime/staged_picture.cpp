#include "runtime/staged_picture.h"

#include "runtime/runtime_errors.h"

namespace cutshape::runtime {
namespace {

COLORREF resolveColor(core::Color color) noexcept {
    if ((color & 0xFF000000u) == 0x80000000u)
        return ::GetSysColor(static_cast<int>(color & 0xFFu));
    return color & 0x00FFFFFFu;
}

} // namespace

core::PixelView StagedPicture::ownPixels() const noexcept {
    if (own_.words.empty())
        return {};
    return core::PixelView{own_.words.data(), own_.sizePx.cx, own_.sizePx.cy, own_.sizePx.cx, true};
}

std::optional<StagedPicture::OwnPixels> StagedPicture::draw(win::DibSurface& image,
                                                            const Picture& picture, SIZE sizePx) {
    pixelsDrawn_ += static_cast<std::int64_t>(image.width()) * image.height();
    // The scan reads a picture's own alpha from the image's top bytes.
    auto drawn = picture.renderOver(image, resolveColor(background_), sizePx);
    if (!drawn)
        return std::nullopt;
    image.setAlpha(*drawn, sizePx);
    return OwnPixels{std::move(*drawn), sizePx};
}

void StagedPicture::stage(Picture picture, const Resolution& at) {
    const SIZE size = picture.isEmpty() ? SIZE{0, 0} : picture.sizePixels(at.dpiX, at.dpiY);
    const bool hasPixels = size.cx > 0 && size.cy > 0;
    const SIZE imageSize = hasPixels ? size : SIZE{0, 0};
    if (image_.width() == imageSize.cx && image_.height() == imageSize.cy) {
        // A new image of a large picture costs more in fresh memory than the drawing itself.
        try {
            std::optional<OwnPixels> drawn = draw(image_, picture, size);
            own_ = drawn ? std::move(*drawn) : OwnPixels{};
        } catch (...) {
            try {
                // The image shows the staged picture as it was.
                std::optional<OwnPixels> drawn = draw(image_, picture_, SIZE{widthPx_, heightPx_});
                own_ = drawn ? std::move(*drawn) : OwnPixels{};
            } catch (...) {
                // The first error is the one to report to the caller.
                win::reportCaught(L"drawing the staged picture as it was");
            }
            throw;
        }
    } else {
        win::DibSurface image = [&] {
            try {
                return win::DibSurface(imageSize.cx, imageSize.cy);
            } catch (const win::Error& error) {
                throw outOfMemoryError(error.description());
            }
        }();
        std::optional<OwnPixels> drawn = draw(image, picture, size);
        image_ = std::move(image);
        own_ = drawn ? std::move(*drawn) : OwnPixels{};
    }
    picture_ = std::move(picture);
    at_ = at;
    widthPx_ = hasPixels ? size.cx : 0;
    heightPx_ = hasPixels ? size.cy : 0;
}

} // namespace cutshape::runtime
