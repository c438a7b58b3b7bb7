#include "runtime/picture.h"

#include "core/picture_header.h"
#include "core/twips.h"
#include "runtime/picture_alpha.h"
#include "runtime/runtime_errors.h"
#include "runtime/wic_decoder.h"
#include "win/handles.h"
#include "win/text.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace cutshape::runtime {
namespace {

std::vector<std::uint8_t> readPictureFile(const std::wstring& path) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_PATH_NOT_FOUND)
            throw pathNotFoundError(path);
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_INVALID_NAME)
            throw fileNotFoundError(path);
        win::throwLastError((L"Cannot open " + path).c_str());
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        win::throwLastError((L"Cannot read " + path).c_str());
    if (size.QuadPart > 0x7FFFFFFF)
        throw outOfMemoryError(L"the file " + path + L" is too large");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        win::throwLastError((L"Cannot read " + path).c_str());
    return bytes;
}

} // namespace

// A PNG or TIFF file's picture: a bitmap the imaging component decoded, owned by the picture
// object.
Picture pictureOfBitmap(std::span<const std::uint8_t> bytes, const std::wstring& name) {
    win::UniqueBitmap bitmap;
    try {
        bitmap = decodeThroughWic(bytes);
    } catch (const win::Error& error) {
        if (error.number() == E_OUTOFMEMORY)
            throw outOfMemoryError(name);
        throw invalidPictureError(name + L": " + error.description());
    }
    return Picture(pictureOwning(std::move(bitmap)));
}

Picture Picture::fromObject(IUnknown* object) {
    if (!object)
        return Picture();
    win::ComPtr<IPicture> picture = win::ComPtr<IUnknown>(object).tryQuery<IPicture>();
    if (!picture)
        throw typeMismatchError();
    return Picture(std::move(picture));
}

bool Picture::isEmpty() const noexcept {
    SHORT type = PICTYPE_NONE;
    return !picture_ || FAILED(picture_->get_Type(&type)) || type == PICTYPE_NONE ||
           type == PICTYPE_UNINITIALIZED;
}

SIZE Picture::sizeHimetric() const {
    if (isEmpty())
        return SIZE{0, 0};
    // A size that cannot be read is the picture's error, never a picture of no size.
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    win::check(picture_->get_Width(&width), L"Reading the picture's width");
    win::check(picture_->get_Height(&height), L"Reading the picture's height");
    return SIZE{width, height};
}

std::optional<SIZE> Picture::bitmapPixels() const {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (!picture_ || FAILED(picture_->get_Type(&type)) ||
        (type != PICTYPE_BITMAP && type != PICTYPE_ICON) || FAILED(picture_->get_Handle(&handle)))
        return std::nullopt;
    const auto object = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
    if (type == PICTYPE_BITMAP) {
        BITMAP bitmap{};
        if (!::GetObjectW(object, sizeof bitmap, &bitmap))
            return std::nullopt;
        return SIZE{bitmap.bmWidth, bitmap.bmHeight};
    }
    ICONINFO icon{};
    if (!::GetIconInfo(static_cast<HICON>(object), &icon))
        return std::nullopt;
    const win::UniqueBitmap colour(icon.hbmColor);
    const win::UniqueBitmap mask(icon.hbmMask);
    BITMAP bitmap{};
    if (colour && ::GetObjectW(colour.get(), sizeof bitmap, &bitmap))
        return SIZE{bitmap.bmWidth, bitmap.bmHeight};
    // A monochrome icon's mask holds the AND half above the XOR half.
    if (mask && ::GetObjectW(mask.get(), sizeof bitmap, &bitmap))
        return SIZE{bitmap.bmWidth, bitmap.bmHeight / 2};
    return std::nullopt;
}

SIZE Picture::sizePixels(int dpiX, int dpiY) const {
    if (const std::optional<SIZE> pixels = bitmapPixels()) {
        try {
            return SIZE{core::scaledFromPictureDpi(pixels->cx, dpiX),
                        core::scaledFromPictureDpi(pixels->cy, dpiY)};
        } catch (const core::ArithmeticError& fault) {
            throw arithmeticError(fault);
        }
    }
    const SIZE himetric = sizeHimetric();
    return SIZE{::MulDiv(himetric.cx, dpiX, core::kHimetricPerInch),
                ::MulDiv(himetric.cy, dpiY, core::kHimetricPerInch)};
}

std::optional<std::vector<std::uint32_t>> Picture::ownWords(SIZE sizePx) const {
    if (const std::optional<PictureAlpha> alpha = PictureAlpha::read(picture_.get()))
        return alpha->scaled(sizePx);
    return std::nullopt;
}

bool Picture::leavesPixelsUndrawn() const noexcept {
    SHORT type = PICTYPE_NONE;
    if (!picture_ || FAILED(picture_->get_Type(&type)))
        return false;
    if (type == PICTYPE_METAFILE || type == PICTYPE_ENHMETAFILE)
        return true;
    DWORD attributes = 0;
    return type == PICTYPE_BITMAP && SUCCEEDED(picture_->get_Attributes(&attributes)) &&
           (attributes & PICTURE_TRANSPARENT) != 0;
}

std::vector<std::uint32_t> Picture::transparencyByDrawing(win::DibSurface& image,
                                                          SIZE sizePx) const {
    const auto drawnOver = [&](COLORREF below) {
        image.fill(below);
        renderWithoutAlpha(image.dc(), sizePx);
        return image.pixels();
    };
    const core::PixelView overBlack = drawnOver(0x00000000);
    std::vector<std::uint32_t> words;
    words.reserve(static_cast<std::size_t>(sizePx.cx) * static_cast<std::size_t>(sizePx.cy));
    for (std::int32_t y = 0; y < sizePx.cy; ++y)
        words.insert(words.end(), overBlack.row(y), overBlack.row(y) + sizePx.cx);
    const core::PixelView overWhite = drawnOver(0x00FFFFFF);
    for (std::int32_t y = 0; y < sizePx.cy; ++y) {
        std::uint32_t* row = words.data() + static_cast<std::size_t>(y) * sizePx.cx;
        for (std::int32_t x = 0; x < sizePx.cx; ++x) {
            const std::uint32_t colour = row[x] & 0x00FFFFFFu;
            row[x] = colour == (overWhite.row(y)[x] & 0x00FFFFFFu) ? (colour | 0xFF000000u) : 0u;
        }
    }
    return words;
}

std::optional<std::vector<std::uint32_t>> Picture::renderAtOrigin(HDC dc, SIZE sizePx) const {
    if (isEmpty() || sizePx.cx <= 0 || sizePx.cy <= 0)
        return std::nullopt;
    auto words = ownWords(sizePx);
    if (words)
        blendAtOrigin(dc, *words, sizePx);
    else
        renderWithoutAlpha(dc, sizePx);
    return words;
}

void Picture::renderWithoutAlpha(HDC dc, SIZE sizePx) const {
    const SIZE himetric = sizeHimetric();
    // Without this a shrunk bitmap would AND or OR its pixels together (the default mode).
    const int previousMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    // HIMETRIC runs bottom-up: start at the top edge and go down by a negative height.
    const HRESULT rendered = picture_->Render(dc, 0, 0, sizePx.cx, sizePx.cy, 0, himetric.cy,
                                              himetric.cx, -himetric.cy, nullptr);
    if (previousMode)
        ::SetStretchBltMode(dc, previousMode);
    win::check(rendered, L"Drawing the picture");
}

std::optional<std::vector<std::uint32_t>>
Picture::renderOver(win::DibSurface& image, COLORREF background, SIZE sizePx) const {
    const bool drawn = !isEmpty() && sizePx.cx > 0 && sizePx.cy > 0;
    // Drawn over two backgrounds before the image takes its own.
    auto words =
        !drawn ? std::nullopt
        : leavesPixelsUndrawn() && sizePx.cx <= image.width() && sizePx.cy <= image.height()
            ? std::optional(transparencyByDrawing(image, sizePx))
            : ownWords(sizePx);
    image.fill(background);
    if (!drawn)
        return std::nullopt;
    if (words)
        blendOver(image.writablePixels(), image.width(), image.height(), *words, sizePx);
    else
        renderWithoutAlpha(image.dc(), sizePx);
    return words;
}

Picture emptyPicture() {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_NONE;
    win::ComPtr<IPicture> picture;
    win::check(::OleCreatePictureIndirect(&description, IID_IPicture, TRUE, picture.putVoid()),
               L"Creating an empty picture");
    return Picture(std::move(picture));
}

Picture loadPicture(std::wstring_view path) {
    if (path.empty())
        return emptyPicture();
    const std::wstring fullPath(path);
    return pictureFromBytes(readPictureFile(fullPath), fullPath);
}

core::PictureHeader inspectedPicture(std::span<const std::uint8_t> bytes, std::wstring_view what) {
    try {
        return core::inspectPictureFile(bytes);
    } catch (const core::PictureFileError& fault) {
        const std::wstring detail = std::wstring(what) + L": " + win::widen(fault.what());
        if (fault.kind() == core::PictureFileError::Kind::TooLarge)
            throw outOfMemoryError(detail);
        throw invalidPictureError(detail);
    }
}

Picture pictureFromBytes(std::span<const std::uint8_t> bytes, std::wstring_view what) {
    const std::wstring name(what);
    const core::PictureHeader header = inspectedPicture(bytes, name);
    if (header.format == core::PictureFormat::Png || header.format == core::PictureFormat::Tiff)
        return pictureOfBitmap(bytes, name);
    // A 32-bit bitmap whose alpha is in use keeps it (the system's loader would drop it).
    if (header.format == core::PictureFormat::Bitmap) {
        if (auto picture = PictureAlpha::pictureOfBitmapFile(bytes))
            return Picture(std::move(*picture));
    }

    win::UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory)
        throw outOfMemoryError(L"no memory for " + name);
    void* target = ::GlobalLock(memory.get());
    std::memcpy(target, bytes.data(), bytes.size());
    ::GlobalUnlock(memory.get());

    win::ComPtr<IStream> stream;
    win::check(::CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()),
               L"Creating a stream for the picture");
    (void)memory.release(); // the stream frees it

    win::ComPtr<IPicture> picture;
    const HRESULT result = ::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE,
                                            IID_IPicture, picture.putVoid());
    if (result == E_OUTOFMEMORY)
        throw outOfMemoryError(name);
    if (FAILED(result) || !picture)
        throw invalidPictureError(name);
    return Picture(std::move(picture));
}

} // namespace cutshape::runtime
