#include "runtime/wic_decoder.h"

#include "core/picture_header.h"
#include "win/com_ptr.h"
#include "win/error.h"
#include "win/gdi.h"

#include <wincodec.h>

namespace cutshape::runtime {

win::UniqueBitmap decodeThroughWic(std::span<const std::uint8_t> bytes) {
    win::ComPtr<IWICImagingFactory> factory;
    win::check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.putVoid()),
               L"Creating the imaging component's factory");
    win::ComPtr<IWICStream> stream;
    win::check(factory->CreateStream(stream.put()), L"Creating a stream for the picture");
    win::check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())),
               L"Creating a stream for the picture");
    win::ComPtr<IWICBitmapDecoder> decoder;
    win::check(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.put()),
               L"Decoding the picture");
    win::ComPtr<IWICBitmapFrameDecode> frame;
    win::check(decoder->GetFrame(0, frame.put()), L"Decoding the picture");
    win::ComPtr<IWICFormatConverter> converter;
    win::check(factory->CreateFormatConverter(converter.put()), L"Decoding the picture");
    win::check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom),
               L"Converting the picture to 32 bits");
    UINT width = 0;
    UINT height = 0;
    win::check(converter->GetSize(&width, &height), L"Reading the picture's size");
    if (width == 0 || height == 0 || width > 0x7FFFFFFF ||
        std::int64_t{width} > core::kMaxPicturePixels / height)
        throw win::Error(E_OUTOFMEMORY, L"The picture is too large to be held in memory.");

    std::uint32_t* bits = nullptr;
    win::UniqueBitmap bitmap = win::createDibSection(static_cast<std::int32_t>(width),
                                                     static_cast<std::int32_t>(height), bits);
    const UINT stride = width * 4;
    win::check(
        converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(bits)),
        L"Decoding the picture");
    return bitmap;
}

} // namespace cutshape::runtime
