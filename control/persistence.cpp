#include "control/persistence.h"

#include "core/picture_header.h"
#include "runtime/picture_opacity.h"
#include "runtime/runtime_errors.h"
#include "win/variant.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace cutshape::control {
namespace {

constexpr VARIANT_BOOL kTrue = VARIANT_TRUE;
constexpr std::uint32_t kStreamTag = 0x50485343; // "CSHP"
constexpr std::uint16_t kStreamVersion = 1;

// Reads `key`, asking for `type`; false when the bag holds no such key.
bool readKey(IPropertyBag& bag, IErrorLog* log, const wchar_t* key, VARTYPE type,
             win::Variant& value) {
    value.put()->vt = type;
    const HRESULT result = bag.Read(key, value.get(), log);
    if (result == E_INVALIDARG)
        return false;
    if (result == DISP_E_TYPEMISMATCH || result == DISP_E_OVERFLOW)
        throw runtime::typeMismatchError();
    win::check(result, (std::wstring(L"Reading the property '") + key + L"'").c_str());
    // A bag may hand out a reference; one that cannot be followed is no value of any type.
    if (!win::isSafeToFollow(*value.get()))
        throw runtime::typeMismatchError();
    return true;
}

void writeKey(IPropertyBag& bag, const wchar_t* key, VARIANT& value) {
    win::check(bag.Write(key, &value),
               (std::wstring(L"Writing the property '") + key + L"'").c_str());
}

runtime::Picture pictureFrom(const win::Variant& value) {
    const VARIANT& v = *value.get();
    if (v.vt == VT_DISPATCH)
        return runtime::Picture::fromObject(v.pdispVal);
    if (v.vt == VT_UNKNOWN)
        return runtime::Picture::fromObject(v.punkVal);
    throw runtime::typeMismatchError();
}

// The value in `type`; a value that does not convert is the runtime's type mismatch.
win::Variant converted(const win::Variant& value, VARTYPE type) {
    try {
        return value.as(type);
    } catch (const win::Error&) {
        throw runtime::typeMismatchError();
    }
}

VARIANT_BOOL booleanFrom(const win::Variant& value) {
    return converted(value, VT_BOOL).get()->boolVal ? VARIANT_TRUE : VARIANT_FALSE;
}

template <class T>
void writeValue(IStream& stream, const T& value) {
    ULONG written = 0;
    win::check(stream.Write(&value, sizeof value, &written), L"Writing the control's state");
    if (written != sizeof value)
        throw win::Error(STG_E_MEDIUMFULL, L"Writing the control's state: the stream is full.");
}

template <class T>
T readValue(IStream& stream) {
    T value{};
    ULONG read = 0;
    win::check(stream.Read(&value, sizeof value, &read), L"Reading the control's state");
    if (read != sizeof value)
        throw win::Error(STG_E_READFAULT, L"Reading the control's state: the data is cut short.");
    return value;
}

// The system picture's own stored form: a tag, the size of the file data, the file data.
constexpr std::uint32_t kPictureDataTag = 0x0000746C; // "lt"

// A picture with opacity of its own is stored as the system's picture stores a bitmap, its
// file data a 32-bit bitmap that keeps the alpha (which the system's own saving may drop);
// any loader of the system's picture reads it back.
void writePictureWithOpacity(IStream& stream, const runtime::PictureOpacity& opacity) {
    const std::vector<std::uint8_t> file = opacity.bitmapFile();
    win::check(::WriteClassStm(&stream, CLSID_StdPicture), L"Saving the picture");
    writeValue(stream, kPictureDataTag);
    writeValue(stream, static_cast<std::uint32_t>(file.size()));
    ULONG written = 0;
    win::check(stream.Write(file.data(), static_cast<ULONG>(file.size()), &written),
               L"Saving the picture");
    if (written != file.size())
        throw win::Error(STG_E_MEDIUMFULL, L"Saving the picture: the stream is full.");
}

// A stored picture in the form writePictureWithOpacity gives (a 32-bit bitmap whose alpha is
// in use), read with its alpha; nothing, and the stream back where it was, for any other
// stored picture or a stream that cannot go back. The header is checked before the pixels
// are read, so a damaged size cannot make it allocate more than the picture limit allows.
std::optional<runtime::Picture> readPictureWithOpacity(IStream& stream) {
    ULARGE_INTEGER start{};
    if (FAILED(stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &start)))
        return std::nullopt;
    const auto readInto = [&](void* into, std::size_t count) {
        ULONG read = 0;
        return SUCCEEDED(stream.Read(into, static_cast<ULONG>(count), &read)) && read == count;
    };
    constexpr std::size_t kHeaders = 14 + sizeof(BITMAPINFOHEADER);
    std::uint32_t tagAndSize[2] = {};
    std::vector<std::uint8_t> file(kHeaders);
    if (readInto(tagAndSize, sizeof tagAndSize) && tagAndSize[0] == kPictureDataTag &&
        tagAndSize[1] > kHeaders && readInto(file.data(), kHeaders) && file[0] == 'B' &&
        file[1] == 'M') {
        BITMAPINFOHEADER info{};
        std::memcpy(&info, file.data() + 14, sizeof info);
        const std::int64_t pixels = std::int64_t{info.biWidth} * info.biHeight;
        if (info.biBitCount == 32 && info.biCompression == BI_RGB && info.biWidth > 0 &&
            info.biHeight > 0 && pixels <= core::kMaxPicturePixels &&
            tagAndSize[1] == kHeaders + 4 * pixels) {
            file.resize(tagAndSize[1]);
            if (readInto(file.data() + kHeaders, file.size() - kHeaders)) {
                if (auto picture = runtime::PictureOpacity::pictureOfBitmapFile(file))
                    return runtime::Picture::fromObject(picture->get());
            }
        }
    }
    LARGE_INTEGER back{};
    back.QuadPart = static_cast<LONGLONG>(start.QuadPart);
    win::check(stream.Seek(back, STREAM_SEEK_SET, nullptr), L"Loading the picture");
    return std::nullopt;
}

// The picture as OleSaveToStream wrote it: its class identifier, then its own data. Only
// the system's picture class is created, so that a damaged or hostile stream cannot make
// the control create whatever component it names.
runtime::Picture readPicture(IStream& stream) {
    CLSID stored{};
    win::check(::ReadClassStm(&stream, &stored), L"Loading the picture");
    if (stored != CLSID_StdPicture)
        throw runtime::invalidPictureError(L"the stored picture is of another class");
    if (std::optional<runtime::Picture> withOpacity = readPictureWithOpacity(stream))
        return std::move(*withOpacity);
    win::ComPtr<IPersistStream> loader;
    win::check(::OleCreatePictureIndirect(nullptr, IID_IPersistStream, TRUE, loader.putVoid()),
               L"Creating a picture");
    win::check(loader->Load(&stream), L"Loading the picture");
    return runtime::Picture::fromObject(loader.get());
}

} // namespace

void readProperties(IPropertyBag& bag, IErrorLog* log, ControlProperties& properties) {
    win::Variant value;
    runtime::Picture picture = runtime::emptyPicture();
    if (readKey(bag, log, L"Picture", VT_DISPATCH, value))
        picture = pictureFrom(value);
    properties.setPicture(std::move(picture));

    properties.setMaskColor(readKey(bag, log, L"MaskColor", VT_I4, value)
                                ? static_cast<core::Color>(converted(value, VT_I4).get()->lVal)
                                : 0);
    properties.setAutomaticMaskColor(
        readKey(bag, log, L"AutomaticMaskColor", VT_BOOL, value) ? booleanFrom(value) : kTrue);
    properties.setShowPicture(readKey(bag, log, L"ShowPicture", VT_BOOL, value) ? booleanFrom(value)
                                                                                : kTrue);
}

void writeProperties(IPropertyBag& bag, const ControlProperties& properties, bool saveAll) {
    VARIANT value;
    const runtime::Picture& picture = properties.picture();
    if (saveAll || !picture.isEmpty()) {
        const win::ComPtr<IPictureDisp> dispatch =
            picture.isNothing() ? win::ComPtr<IPictureDisp>() : picture.dispatch();
        value.vt = VT_DISPATCH;
        value.pdispVal = dispatch.get();
        writeKey(bag, L"Picture", value);
    }
    if (saveAll || properties.maskColor() != 0) {
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(properties.maskColor());
        writeKey(bag, L"MaskColor", value);
    }
    if (saveAll || properties.showPicture() != kTrue) {
        value.vt = VT_BOOL;
        value.boolVal = properties.showPicture();
        writeKey(bag, L"ShowPicture", value);
    }
    if (saveAll || properties.automaticMaskColor() != kTrue) {
        value.vt = VT_BOOL;
        value.boolVal = properties.automaticMaskColor();
        writeKey(bag, L"AutomaticMaskColor", value);
    }
}

void writeStream(IStream& stream, const ControlProperties& properties) {
    writeValue(stream, kStreamTag);
    writeValue(stream, kStreamVersion);
    const runtime::Picture& picture = properties.picture();
    const std::uint8_t hasPicture = picture.isEmpty() ? 0 : 1;
    writeValue(stream, hasPicture);
    if (hasPicture) {
        if (const auto opacity = runtime::PictureOpacity::read(picture.get())) {
            writePictureWithOpacity(stream, *opacity);
        } else {
            const auto persist = win::ComPtr<IPicture>(picture.get()).query<IPersistStream>();
            win::check(::OleSaveToStream(persist.get(), &stream), L"Saving the picture");
        }
    }
    writeValue(stream, static_cast<std::int32_t>(properties.maskColor()));
    writeValue(stream, properties.showPicture());
    writeValue(stream, properties.automaticMaskColor());
}

void readStream(IStream& stream, ControlProperties& properties) {
    if (readValue<std::uint32_t>(stream) != kStreamTag ||
        readValue<std::uint16_t>(stream) != kStreamVersion)
        throw win::Error(STG_E_OLDFORMAT, L"The stream does not hold this control's state.");
    runtime::Picture picture = runtime::emptyPicture();
    if (readValue<std::uint8_t>(stream))
        picture = readPicture(stream);
    properties.setPicture(std::move(picture));
    properties.setMaskColor(static_cast<core::Color>(readValue<std::int32_t>(stream)));
    properties.setShowPicture(readValue<VARIANT_BOOL>(stream) ? VARIANT_TRUE : VARIANT_FALSE);
    properties.setAutomaticMaskColor(readValue<VARIANT_BOOL>(stream) ? VARIANT_TRUE
                                                                     : VARIANT_FALSE);
}

} // namespace cutshape::control
