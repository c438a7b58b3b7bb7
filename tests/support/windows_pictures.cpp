#include "tests/support/windows_pictures.h"

#include "win/com_ptr.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/region.h"

#include <cstring>
#include <initializer_list>
#include <system_error>
#include <wincodec.h>

namespace cutshape::test {

std::vector<std::uint8_t> streamBytes(IStream* stream) {
    HGLOBAL memory = nullptr;
    win::check(::GetHGlobalFromStream(stream, &memory), L"GetHGlobalFromStream");
    STATSTG stat{};
    win::check(stream->Stat(&stat, STATFLAG_NONAME), L"IStream::Stat");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const void* source = ::GlobalLock(memory);
    std::memcpy(bytes.data(), source, bytes.size());
    ::GlobalUnlock(memory);
    return bytes;
}

win::ComPtr<IStream> memoryStream(std::span<const std::uint8_t> bytes) {
    win::ComPtr<IStream> stream;
    win::check(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), L"CreateStreamOnHGlobal");
    if (!bytes.empty())
        win::check(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr),
                   L"IStream::Write");
    win::check(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), L"IStream::Seek");
    return stream;
}

namespace {

void drawFigure(HDC dc, RECT area, RECT figure, bool paintsBackground = true) {
    const win::UniqueBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    const win::UniqueBrush black(::CreateSolidBrush(RGB(0, 0, 0)));
    if (paintsBackground)
        ::FillRect(dc, &area, white.get());
    ::FillRect(dc, &figure, black.get());
}

} // namespace

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH + 1]{};
    ::GetTempPathW(MAX_PATH, base);
    path_ = std::filesystem::path(base) /
            (L"cutshape-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             std::to_wstring(::GetTickCount64()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::write(const std::wstring& name,
                                        std::span<const std::uint8_t> bytes) const {
    const std::filesystem::path file = path_ / name;
    writeFile(file, bytes);
    return file;
}

std::vector<std::uint8_t> encodeJpeg(const Image& image) {
    win::ComPtr<IWICImagingFactory> factory;
    win::check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.putVoid()),
               L"Creating the WIC factory");
    const win::ComPtr<IStream> stream = memoryStream({});
    win::ComPtr<IWICBitmapEncoder> encoder;
    win::check(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.put()),
               L"Creating the JPEG encoder");
    win::check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), L"Encoder");
    win::ComPtr<IWICBitmapFrameEncode> frame;
    win::ComPtr<IPropertyBag2> options;
    win::check(encoder->CreateNewFrame(frame.put(), options.put()), L"CreateNewFrame");
    win::check(frame->Initialize(options.get()), L"Frame");
    win::check(frame->SetSize(static_cast<UINT>(image.width()), static_cast<UINT>(image.height())),
               L"SetSize");
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    win::check(frame->SetPixelFormat(&format), L"SetPixelFormat");
    const UINT stride = (static_cast<UINT>(image.width()) * 3 + 3) & ~3u;
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * static_cast<UINT>(image.height()));
    for (std::int32_t y = 0; y < image.height(); ++y)
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const std::uint32_t word =
                image.words()[static_cast<std::size_t>(y) * image.width() + x];
            BYTE* pixel = &rows[static_cast<std::size_t>(y) * stride + 3u * x];
            pixel[0] = static_cast<BYTE>(word);
            pixel[1] = static_cast<BYTE>(word >> 8);
            pixel[2] = static_cast<BYTE>(word >> 16);
        }
    win::check(frame->WritePixels(static_cast<UINT>(image.height()), stride,
                                  static_cast<UINT>(rows.size()), rows.data()),
               L"WritePixels");
    win::check(frame->Commit(), L"Frame commit");
    win::check(encoder->Commit(), L"Encoder commit");
    return streamBytes(stream.get());
}

std::vector<std::uint8_t> makeEnhancedMetafile(int widthPx, int heightPx, RECT figure,
                                               bool paintsBackground) {
    // The frame is in hundredths of a millimetre.
    const RECT frame{0, 0, ::MulDiv(widthPx, 2540, 96), ::MulDiv(heightPx, 2540, 96)};
    HDC dc = ::CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    if (!dc)
        win::throwLastError(L"CreateEnhMetaFile");
    drawFigure(dc, RECT{0, 0, widthPx, heightPx}, figure, paintsBackground);
    const HENHMETAFILE metafile = ::CloseEnhMetaFile(dc);
    if (!metafile)
        win::throwLastError(L"CloseEnhMetaFile");
    std::vector<std::uint8_t> bytes(::GetEnhMetaFileBits(metafile, 0, nullptr));
    ::GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
    ::DeleteEnhMetaFile(metafile);
    return bytes;
}

std::vector<std::uint8_t> makePlaceableMetafile(int widthPx, int heightPx, RECT figure) {
    constexpr int kUnitsPerPixel = 15; // 1440 units per inch at 96 dpi
    HDC dc = ::CreateMetaFileW(nullptr);
    if (!dc)
        win::throwLastError(L"CreateMetaFile");
    ::SetWindowOrgEx(dc, 0, 0, nullptr);
    ::SetWindowExtEx(dc, widthPx * kUnitsPerPixel, heightPx * kUnitsPerPixel, nullptr);
    const auto scaled = [](RECT r) {
        return RECT{r.left * kUnitsPerPixel, r.top * kUnitsPerPixel, r.right * kUnitsPerPixel,
                    r.bottom * kUnitsPerPixel};
    };
    drawFigure(dc, scaled(RECT{0, 0, widthPx, heightPx}), scaled(figure));
    const HMETAFILE metafile = ::CloseMetaFile(dc);
    if (!metafile)
        win::throwLastError(L"CloseMetaFile");
    std::vector<std::uint8_t> body(::GetMetaFileBitsEx(metafile, 0, nullptr));
    ::GetMetaFileBitsEx(metafile, static_cast<UINT>(body.size()), body.data());
    ::DeleteMetaFile(metafile);

    // The placeable header: key, handle, bounds, units per inch, reserved, then the checksum
    // of those ten words.
    std::vector<std::uint8_t> bytes;
    std::uint16_t checksum = 0;
    const auto put = [&](std::uint16_t word) {
        bytes.push_back(static_cast<std::uint8_t>(word));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        checksum ^= word;
    };
    const auto width = static_cast<std::uint16_t>(widthPx * kUnitsPerPixel);
    const auto height = static_cast<std::uint16_t>(heightPx * kUnitsPerPixel);
    for (const std::uint16_t word :
         std::initializer_list<std::uint16_t>{0xCDD7, 0x9AC6, 0, 0, 0, width, height, 1440, 0, 0})
        put(word);
    put(checksum);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

SIZE windowSize(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

core::Rects windowRegion(HWND window) {
    win::UniqueRegion region = win::createEmptyRegion();
    if (::GetWindowRgn(window, region.get()) == ERROR)
        return {};
    return win::regionRects(region.get());
}

} // namespace cutshape::test
