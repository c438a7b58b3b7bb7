#include "runtime/picture_box.h"

#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"

namespace cutshape::runtime {
namespace {

// A fixed single border is drawn two pixels wide on each side, inside the outer size.
constexpr std::int32_t kFixedSingleBorderPx = 2;

COLORREF resolveColor(core::Color color) noexcept {
    if ((color & 0xFF000000u) == 0x80000000u)
        return ::GetSysColor(static_cast<int>(color & 0xFFu));
    return color & 0x00FFFFFFu;
}

std::int32_t borderPxFor(std::int16_t style) noexcept {
    return style == PictureBox::kBorderNone ? 0 : kFixedSingleBorderPx;
}

} // namespace

PictureBox::PictureBox(float leftTwips, float topTwips, float widthTwips, float heightTwips)
    : left_(leftTwips), top_(topTwips) {
    redraw(pixelsFromTwips(widthTwips, Screen::twipsPerPixelX()),
           pixelsFromTwips(heightTwips, Screen::twipsPerPixelY()), borderStyle_, picture_,
           backColor_);
}

std::int32_t PictureBox::borderPx() const noexcept {
    return borderPxFor(borderStyle_);
}

float PictureBox::width() const noexcept {
    return static_cast<float>(widthPx_) * Screen::twipsPerPixelX();
}

float PictureBox::height() const noexcept {
    return static_cast<float>(heightPx_) * Screen::twipsPerPixelY();
}

std::optional<SIZE> PictureBox::autoSizeFor(const Picture& picture,
                                            std::int16_t borderStyle) const {
    if (picture.isEmpty())
        return std::nullopt; // an empty picture leaves the size alone
    const SIZE natural = picture.sizePixels(Screen::dpiX(), Screen::dpiY());
    const std::int32_t border = 2 * borderPxFor(borderStyle);
    return SIZE{natural.cx + border, natural.cy + border};
}

void PictureBox::setPicture(Picture picture) {
    std::int32_t widthPx = widthPx_;
    std::int32_t heightPx = heightPx_;
    if (autoSize_) {
        if (const std::optional<SIZE> size = autoSizeFor(picture, borderStyle_)) {
            widthPx = size->cx;
            heightPx = size->cy;
        }
    }
    redraw(widthPx, heightPx, borderStyle_, picture, backColor_);
    picture_ = std::move(picture);
}

void PictureBox::setBorderStyle(std::int16_t style) {
    if (style == borderStyle_)
        return;
    std::int32_t widthPx = widthPx_;
    std::int32_t heightPx = heightPx_;
    if (autoSize_) {
        if (const std::optional<SIZE> size = autoSizeFor(picture_, style)) {
            widthPx = size->cx;
            heightPx = size->cy;
        }
    }
    redraw(widthPx, heightPx, style, picture_, backColor_);
    borderStyle_ = style;
}

// The image always shows the box's picture at its size, border and background, so a change
// that keeps all of them needs no drawing.

void PictureBox::setAutoSize(bool autoSize) {
    if (autoSize) {
        if (const std::optional<SIZE> size = autoSizeFor(picture_, borderStyle_);
            size && !shows(size->cx, size->cy, borderStyle_, backColor_))
            redraw(size->cx, size->cy, borderStyle_, picture_, backColor_);
    }
    autoSize_ = autoSize;
}

void PictureBox::setWidth(float twips) {
    const std::int32_t widthPx = pixelsFromTwips(twips, Screen::twipsPerPixelX());
    if (!shows(widthPx, heightPx_, borderStyle_, backColor_))
        redraw(widthPx, heightPx_, borderStyle_, picture_, backColor_);
}

void PictureBox::setHeight(float twips) {
    const std::int32_t heightPx = pixelsFromTwips(twips, Screen::twipsPerPixelY());
    if (!shows(widthPx_, heightPx, borderStyle_, backColor_))
        redraw(widthPx_, heightPx, borderStyle_, picture_, backColor_);
}

void PictureBox::setPictureAndSize(Picture picture, float widthTwips, float heightTwips) {
    redraw(pixelsFromTwips(widthTwips, Screen::twipsPerPixelX()),
           pixelsFromTwips(heightTwips, Screen::twipsPerPixelY()), borderStyle_, picture,
           backColor_);
    picture_ = std::move(picture);
}

void PictureBox::setBackColor(core::Color color) {
    if (!shows(widthPx_, heightPx_, borderStyle_, color))
        redraw(widthPx_, heightPx_, borderStyle_, picture_, color);
    backColor_ = color;
}

core::PixelView PictureBox::ownPixels() const noexcept {
    if (own_.words.empty())
        return {};
    return core::PixelView{own_.words.data(), own_.sizePx.cx, own_.sizePx.cy, own_.sizePx.cx, true};
}

bool PictureBox::shows(std::int32_t widthPx, std::int32_t heightPx, std::int16_t borderStyle,
                       core::Color backColor) const noexcept {
    return widthPx == widthPx_ && heightPx == heightPx_ && borderStyle == borderStyle_ &&
           backColor == backColor_;
}

void PictureBox::redraw(std::int32_t widthPx, std::int32_t heightPx, std::int16_t borderStyle,
                        const Picture& picture, core::Color backColor) {
    // Negative sizes are kept as given (the runtime accepts them) but hold no pixels.
    const std::int32_t border = borderPxFor(borderStyle);
    const std::int32_t clientWidth = widthPx - 2 * border;
    const std::int32_t clientHeight = heightPx - 2 * border;
    const bool hasPixels = clientWidth > 0 && clientHeight > 0;
    // Returns the picture's own pixels as drawn, when it has opacity of its own.
    const auto draw = [&](win::DibSurface& image, const Picture& shown,
                          core::Color back) -> std::optional<OwnPixels> {
        pixelsDrawn_ += static_cast<std::int64_t>(image.width()) * image.height();
        image.fill(resolveColor(back));
        if (!hasPixels)
            return std::nullopt;
        const SIZE size = shown.sizePixels(Screen::dpiX(), Screen::dpiY());
        // The scan reads a picture's own opacity from the image's top bytes.
        auto drawn = shown.renderAtOrigin(image, size);
        if (!drawn)
            return std::nullopt;
        image.setOpacity(*drawn, size);
        return OwnPixels{std::move(*drawn), size};
    };
    const auto keepOwnPixels = [&](std::optional<OwnPixels> drawn) {
        own_ = drawn ? std::move(*drawn) : OwnPixels{};
    };
    const bool sameImageSize =
        hasPixels ? image_.width() == clientWidth && image_.height() == clientHeight
                  : image_.width() == 0;
    if (sameImageSize) {
        // A new image of a large picture costs more in fresh memory than the drawing itself.
        try {
            keepOwnPixels(draw(image_, picture, backColor));
        } catch (...) {
            try {
                // The image shows the box as it was.
                keepOwnPixels(draw(image_, picture_, backColor_));
            } catch (...) {
                // The first error is the one to report to the caller.
                win::reportCaught(L"drawing the picture box as it was");
            }
            throw;
        }
    } else {
        win::DibSurface image = [&] {
            try {
                return win::DibSurface(clientWidth, clientHeight);
            } catch (const win::Error& error) {
                throw outOfMemoryError(error.description());
            }
        }();
        auto drawn = draw(image, picture, backColor);
        image_ = std::move(image);
        keepOwnPixels(std::move(drawn));
    }
    widthPx_ = widthPx;
    heightPx_ = heightPx;
}

} // namespace cutshape::runtime
