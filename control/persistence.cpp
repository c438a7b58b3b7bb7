#include "control/persistence.h"

#include "core/picture_header.h"
#include "runtime/picture_alpha.h"
#include "runtime/runtime_errors.h"
#include "win/variant.h"

#include <optional>
#include <string>
#include <vector>

namespace cutshape::control {
namespace {

constexpr std::uint32_t kStreamTag = 0x50485343; // "CSHP"

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

// A picture with alpha of its own is stored as the system's picture stores a bitmap, its
// file data a 32-bit bitmap that keeps the alpha (which the system's own saving may drop);
// any loader of the system's picture reads it back.
void writePictureWithAlpha(IStream& stream, const runtime::PictureAlpha& alpha) {
    const std::vector<std::uint8_t> file = alpha.bitmapFile();
    win::check(::WriteClassStm(&stream, CLSID_StdPicture), L"Saving the picture");
    writeValue(stream, kPictureDataTag);
    writeValue(stream, static_cast<std::uint32_t>(file.size()));
    ULONG written = 0;
    win::check(stream.Write(file.data(), static_cast<ULONG>(file.size()), &written),
               L"Saving the picture");
    if (written != file.size())
        throw win::Error(STG_E_MEDIUMFULL, L"Saving the picture: the stream is full.");
}

// A stored picture in the form writePictureWithAlpha gives (a 32-bit bitmap whose alpha is
// in use), read with its alpha; nothing, and the stream back where it was, for any other
// stored picture or a stream that cannot go back. The header is checked before the pixels
// are read, so a damaged size cannot make it allocate more than the picture limit allows.
std::optional<runtime::Picture> readPictureWithAlpha(IStream& stream) {
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
        tagAndSize[1] > kHeaders && readInto(file.data(), kHeaders)) {
        const std::optional<core::Bitmap32Layout> layout = core::bitmap32Layout(file);
        if (layout && !layout->topDown && layout->pixelOffset == kHeaders &&
            tagAndSize[1] == layout->fileSize()) {
            file.resize(tagAndSize[1]);
            if (readInto(file.data() + kHeaders, file.size() - kHeaders)) {
                if (auto picture = runtime::PictureAlpha::pictureOfBitmapFile(file))
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
    if (std::optional<runtime::Picture> withAlpha = readPictureWithAlpha(stream))
        return std::move(*withAlpha);
    win::ComPtr<IPersistStream> loader;
    win::check(::OleCreatePictureIndirect(nullptr, IID_IPersistStream, TRUE, loader.putVoid()),
               L"Creating a picture");
    win::check(loader->Load(&stream), L"Loading the picture");
    return runtime::Picture::fromObject(loader.get());
}

// The value of `row` that a bag delivered, in the row's type.
StoredValue storedValueOf(const StoredProperty& row, const win::Variant& value) {
    if (row.type == VT_DISPATCH)
        return pictureFrom(value);
    if (row.type == VT_I4)
        return static_cast<core::Color>(converted(value, VT_I4).get()->lVal);
    return booleanFrom(value);
}

void writeKey(IPropertyBag& bag, const StoredProperty& row, const StoredValue& stored) {
    VARIANT value;
    value.vt = row.type;
    win::ComPtr<IPictureDisp> dispatch;
    if (const auto* picture = std::get_if<runtime::Picture>(&stored)) {
        if (!picture->isNothing())
            dispatch = picture->dispatch();
        value.pdispVal = dispatch.get();
    } else if (const auto* color = std::get_if<core::Color>(&stored)) {
        value.lVal = static_cast<LONG>(*color);
    } else {
        value.boolVal = std::get<VARIANT_BOOL>(stored);
    }
    writeKey(bag, row.key, value);
}

void writeField(IStream& stream, const StoredValue& stored) {
    if (const auto* picture = std::get_if<runtime::Picture>(&stored)) {
        const std::uint8_t hasPicture = picture->isEmpty() ? 0 : 1;
        writeValue(stream, hasPicture);
        if (!hasPicture)
            return;
        if (const auto alpha = runtime::PictureAlpha::read(picture->get())) {
            writePictureWithAlpha(stream, *alpha);
        } else {
            const auto persist = win::ComPtr<IPicture>(picture->get()).query<IPersistStream>();
            win::check(::OleSaveToStream(persist.get(), &stream), L"Saving the picture");
        }
    } else if (const auto* color = std::get_if<core::Color>(&stored)) {
        writeValue(stream, static_cast<std::int32_t>(*color));
    } else {
        writeValue(stream, std::get<VARIANT_BOOL>(stored));
    }
}

StoredValue readField(IStream& stream, const StoredProperty& row) {
    if (row.type == VT_DISPATCH)
        return readValue<std::uint8_t>(stream) ? readPicture(stream) : runtime::emptyPicture();
    if (row.type == VT_I4)
        return static_cast<core::Color>(readValue<std::int32_t>(stream));
    return VARIANT_BOOL{readValue<VARIANT_BOOL>(stream) ? VARIANT_TRUE : VARIANT_FALSE};
}

std::uint64_t positionOf(IStream& stream) {
    ULARGE_INTEGER position{};
    win::check(stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position),
               L"Reading the control's state");
    return position.QuadPart;
}

} // namespace

void initNewProperties(PropertyOwner& owner, std::span<const StoredProperty> rows) {
    for (const StoredProperty& row : rows)
        row.set(owner, row.initNew());
}

void readProperties(IPropertyBag& bag, IErrorLog* log, PropertyOwner& owner,
                    std::span<const StoredProperty> rows) {
    for (const StoredProperty* row : inOrder(rows, &StoredProperty::readOrder)) {
        win::Variant value;
        row->set(owner, readKey(bag, log, row->key, row->type, value) ? storedValueOf(*row, value)
                                                                      : row->keyDefault());
    }
}

void writeProperties(IPropertyBag& bag, const PropertyOwner& owner, bool saveAll,
                     std::span<const StoredProperty> rows) {
    for (const StoredProperty* row : inOrder(rows, &StoredProperty::writeOrder)) {
        const StoredValue value = row->get(owner);
        if (saveAll || !isKeyDefault(*row, value))
            writeKey(bag, *row, value);
    }
}

void writeStream(IStream& stream, const PropertyOwner& owner,
                 std::span<const StoredProperty> rows) {
    std::uint16_t version = 1;
    for (const StoredProperty& row : rows)
        if (row.sinceVersion > version && !isKeyDefault(row, row.get(owner)))
            version = row.sinceVersion;
    writeValue(stream, kStreamTag);
    writeValue(stream, version);
    const auto writeFields = [&](IStream& into) {
        for (const StoredProperty* row : inOrder(rows, &StoredProperty::streamPosition))
            if (row->sinceVersion <= version)
                writeField(into, row->get(owner));
    };
    if (version == 1) {
        writeFields(stream);
        return;
    }
    // The length comes first: the fields are put together in memory.
    win::ComPtr<IStream> fields;
    win::check(::CreateStreamOnHGlobal(nullptr, TRUE, fields.put()), L"Saving the control's state");
    writeFields(*fields.get());
    const std::uint64_t length = positionOf(*fields.get());
    writeValue(stream, static_cast<std::uint32_t>(length));
    win::check(fields->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr),
               L"Saving the control's state");
    ULARGE_INTEGER size{};
    size.QuadPart = length;
    ULARGE_INTEGER written{};
    win::check(fields->CopyTo(&stream, size, nullptr, &written), L"Writing the control's state");
    if (written.QuadPart != length)
        throw win::Error(STG_E_MEDIUMFULL, L"Writing the control's state: the stream is full.");
}

void readStream(IStream& stream, PropertyOwner& owner, std::span<const StoredProperty> rows) {
    if (readValue<std::uint32_t>(stream) != kStreamTag)
        throw win::Error(STG_E_OLDFORMAT, L"The stream does not hold this control's state.");
    const auto version = readValue<std::uint16_t>(stream);
    if (version == 0)
        throw win::Error(STG_E_OLDFORMAT, L"The stream does not hold this control's state.");
    // From version 2 on, where the control's data ends.
    std::optional<std::uint64_t> end;
    if (version >= 2) {
        const auto length = readValue<std::uint32_t>(stream);
        end = positionOf(stream) + length;
        STATSTG stat{};
        if (SUCCEEDED(stream.Stat(&stat, STATFLAG_NONAME)) && *end > stat.cbSize.QuadPart)
            throw win::Error(
                STG_E_READFAULT,
                L"Reading the control's state: its length runs past the stream's end.");
    }
    for (const StoredProperty* row : inOrder(rows, &StoredProperty::streamPosition)) {
        if (row->sinceVersion > version) {
            row->set(owner, row->keyDefault());
            continue;
        }
        StoredValue value = readField(stream, *row);
        if (end && positionOf(stream) > *end)
            throw win::Error(STG_E_DOCFILECORRUPT,
                             L"The control's state is damaged: its values run past its length.");
        row->set(owner, std::move(value));
    }
    if (end) {
        LARGE_INTEGER skip{};
        skip.QuadPart = static_cast<LONGLONG>(*end);
        win::check(stream.Seek(skip, STREAM_SEEK_SET, nullptr), L"Reading the control's state");
    }
}

} // namespace cutshape::control
