#include "runtime/picture_alpha.h"

#include "core/picture_header.h"
#include "win/error.h"
#include "win/gdi.h"
#include "win/handles.h"

#include <algorithm>
#include <cstring>

namespace cutshape::runtime {
namespace {

using Words = std::vector<std::uint32_t>;

constexpr std::uint32_t kAlphaBits = 0xFF000000u;

// Whether the top bytes say anything: neither all 0 (unused) nor all 255 (opaque).
bool alphaInUse(const Words& words) {
    const bool anySet = std::any_of(words.begin(), words.end(),
                                    [](std::uint32_t word) { return (word & kAlphaBits) != 0; });
    const bool anyUnder = std::any_of(words.begin(), words.end(), [](std::uint32_t word) {
        return (word & kAlphaBits) != kAlphaBits;
    });
    return anySet && anyUnder;
}

std::uint32_t premultiplied(std::uint32_t word) {
    const std::uint32_t alpha = word >> 24;
    std::uint32_t result = word & kAlphaBits;
    for (int shift = 0; shift < 24; shift += 8)
        result |= (((word >> shift) & 0xFFu) * alpha + 127) / 255 << shift;
    return result;
}

bool fitsTheLimit(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= core::kMaxPicturePixels / height;
}

// The rows of a bitmap as 32-bit words, top-down, through GetDIBits (which converts any
// depth; a monochrome bitmap's 0 bits read as black, its 1 bits as white).
Words readBitmap(HBITMAP bitmap, std::int32_t width, std::int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Words words(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const win::UniqueWindowDc screen = win::GetDC(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), words.data(), &info,
                    DIB_RGB_COLORS) != height)
        throw win::Error(E_FAIL, L"GetDIBits: the picture's bitmap cannot be read.");
    return words;
}

// A 32-bit DIB section's own bits, premultiplied as AlphaBlend takes them. They are read
// through GetDIBits, which gives the rows in the order asked for: the section's header does
// not tell a top-down section apart.
std::optional<Words> bitmapWords(HBITMAP bitmap, std::int32_t& width, std::int32_t& height) {
    DIBSECTION section{};
    if (::GetObjectW(bitmap, sizeof section, &section) != sizeof section ||
        section.dsBm.bmBitsPixel != 32 ||
        !fitsTheLimit(section.dsBm.bmWidth, section.dsBm.bmHeight))
        return std::nullopt;
    width = section.dsBm.bmWidth;
    height = section.dsBm.bmHeight;
    return readBitmap(bitmap, width, height);
}

// An icon's image with its alpha: the 32-bit image's alpha (straight, as icons keep it)
// when it has one, else the AND mask (a set bit is transparent).
std::optional<Words> iconWords(HICON icon, std::int32_t& width, std::int32_t& height) {
    ICONINFO parts{};
    if (!::GetIconInfo(icon, &parts))
        return std::nullopt;
    const win::UniqueBitmap colour(parts.hbmColor);
    const win::UniqueBitmap mask(parts.hbmMask);
    BITMAP maskSize{};
    if (!mask || !::GetObjectW(mask.get(), sizeof maskSize, &maskSize))
        return std::nullopt;
    // Without a colour image the mask holds the AND half above the XOR half.
    width = maskSize.bmWidth;
    height = colour ? maskSize.bmHeight : maskSize.bmHeight / 2;
    if (!fitsTheLimit(width, height))
        return std::nullopt;
    const Words andBits = readBitmap(mask.get(), width, colour ? height : 2 * height);
    Words words = colour ? readBitmap(colour.get(), width, height)
                         : Words(andBits.begin() + static_cast<std::ptrdiff_t>(width) * height,
                                 andBits.end());
    if (colour && std::any_of(words.begin(), words.end(),
                              [](std::uint32_t word) { return (word & kAlphaBits) != 0; })) {
        std::transform(words.begin(), words.end(), words.begin(), premultiplied);
        return words;
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = (andBits[i] & 0x00FFFFFFu) != 0 ? 0 : (words[i] | kAlphaBits);
    return words;
}

} // namespace

std::optional<PictureAlpha> PictureAlpha::read(IPicture* picture) {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (!picture || FAILED(picture->get_Type(&type)) || FAILED(picture->get_Handle(&handle)) ||
        !handle)
        return std::nullopt;
    const auto object = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<Words> words;
    if (type == PICTYPE_BITMAP)
        words = bitmapWords(static_cast<HBITMAP>(object), width, height);
    else if (type == PICTYPE_ICON)
        words = iconWords(static_cast<HICON>(object), width, height);
    if (!words || !alphaInUse(*words))
        return std::nullopt;
    return PictureAlpha(width, height, std::move(*words));
}

std::vector<std::uint32_t> PictureAlpha::scaled(SIZE sizePx) const {
    Words result;
    if (sizePx.cx <= 0 || sizePx.cy <= 0)
        return result;
    result.reserve(static_cast<std::size_t>(sizePx.cx) * static_cast<std::size_t>(sizePx.cy));
    // Each target pixel takes the source pixel under its centre.
    const auto source = [](std::int64_t target, std::int64_t from, std::int64_t to) {
        return static_cast<std::size_t>((2 * target + 1) * from / (2 * to));
    };
    for (std::int32_t y = 0; y < sizePx.cy; ++y) {
        const std::size_t row = source(y, height_, sizePx.cy) * static_cast<std::size_t>(width_);
        for (std::int32_t x = 0; x < sizePx.cx; ++x)
            result.push_back(words_[row + source(x, width_, sizePx.cx)]);
    }
    return result;
}

win::ComPtr<IPicture> pictureOwning(win::UniqueBitmap bitmap) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.get();
    win::ComPtr<IPicture> picture;
    win::check(::OleCreatePictureIndirect(&description, IID_IPicture, TRUE, picture.putVoid()),
               L"Creating the picture object");
    (void)bitmap.release(); // the picture object deletes it
    return picture;
}

std::vector<std::uint8_t> PictureAlpha::bitmapFile() const {
    const auto pixelBytes = static_cast<std::uint32_t>(words_.size() * 4);
    std::vector<std::uint8_t> file(14 + sizeof(BITMAPINFOHEADER) + pixelBytes);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfSize = static_cast<DWORD>(file.size());
    header.bfOffBits = 14 + sizeof(BITMAPINFOHEADER);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width_;
    info.biHeight = height_;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    std::memcpy(file.data(), &header, 14);
    std::memcpy(file.data() + 14, &info, sizeof info);
    std::uint8_t* rows = file.data() + header.bfOffBits;
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
    for (std::int32_t y = 0; y < height_; ++y)
        std::memcpy(rows + static_cast<std::size_t>(height_ - 1 - y) * rowBytes,
                    &words_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)],
                    rowBytes);
    return file;
}

std::optional<win::ComPtr<IPicture>>
PictureAlpha::pictureOfBitmapFile(std::span<const std::uint8_t> file) {
    const std::optional<core::Bitmap32Layout> layout = core::bitmap32Layout(file);
    if (!layout || layout->fileSize() > file.size())
        return std::nullopt;
    const std::int64_t width = layout->widthPx;
    const std::int64_t height = layout->heightPx;
    Words words(static_cast<std::size_t>(width * height));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t stored = layout->topDown ? y : height - 1 - y;
        std::memcpy(&words[static_cast<std::size_t>(y * width)],
                    file.data() + layout->pixelOffset +
                        static_cast<std::size_t>(stored * width * 4),
                    static_cast<std::size_t>(width) * 4);
    }
    if (!alphaInUse(words))
        return std::nullopt;
    std::uint32_t* bits = nullptr;
    win::UniqueBitmap bitmap = win::createDibSection(static_cast<std::int32_t>(width),
                                                     static_cast<std::int32_t>(height), bits);
    std::copy(words.begin(), words.end(), bits);
    return pictureOwning(std::move(bitmap));
}

void blendOver(std::uint32_t* pixels, std::int32_t widthPx, std::int32_t heightPx,
               const std::vector<std::uint32_t>& words, SIZE sizePx) noexcept {
    const std::int32_t width = std::min<std::int32_t>(sizePx.cx, widthPx);
    const std::int32_t height = std::min<std::int32_t>(sizePx.cy, heightPx);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * widthPx;
        const std::uint32_t* source = words.data() + static_cast<std::size_t>(y) * sizePx.cx;
        for (std::int32_t x = 0; x < width; ++x) {
            // Premultiplied "over", rounded as the system's AlphaBlend rounds.
            const std::uint32_t over = source[x];
            const std::uint32_t keep = 255 - (over >> 24);
            std::uint32_t blended = over & 0xFF000000u;
            for (const int shift : {0, 8, 16}) {
                const std::uint32_t below = row[x] >> shift & 0xFFu;
                const std::uint32_t channel =
                    std::min(255u, (over >> shift & 0xFFu) + (below * keep + 127) / 255);
                blended |= channel << shift;
            }
            row[x] = blended;
        }
    }
}

void blendAtOrigin(HDC dc, const std::vector<std::uint32_t>& words, SIZE sizePx) {
    if (sizePx.cx <= 0 || sizePx.cy <= 0)
        return;
    win::DibSurface source(sizePx.cx, sizePx.cy);
    std::copy(words.begin(), words.end(), source.writablePixels());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!::AlphaBlend(dc, 0, 0, sizePx.cx, sizePx.cy, source.dc(), 0, 0, sizePx.cx, sizePx.cy,
                      blend))
        throw win::Error(E_FAIL, L"AlphaBlend: the picture cannot be drawn.");
}

} // namespace cutshape::runtime
