#include "control/persistence.h"

#include "runtime/runtime_errors.h"
#include "win/variant.h"

#include <string>

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

// The picture as OleSaveToStream wrote it: its class identifier, then its own data. Only
// the system's picture class is created, so that a damaged or hostile stream cannot make
// the control create whatever component it names.
runtime::Picture readPicture(IStream& stream) {
    CLSID stored{};
    win::check(::ReadClassStm(&stream, &stored), L"Loading the picture");
    if (stored != CLSID_StdPicture)
        throw runtime::invalidPictureError(L"the stored picture is of another class");
    win::ComPtr<IPersistStream> loader;
    win::check(::OleCreatePictureIndirect(nullptr, IID_IPersistStream, TRUE, loader.putVoid()),
               L"Creating a picture");
    win::check(loader->Load(&stream), L"Loading the picture");
    return runtime::Picture::fromObject(loader.get());
}

} // namespace

void readProperties(IPropertyBag& bag, IErrorLog* log, Shaper& shaper) {
    win::Variant value;
    runtime::Picture picture = runtime::emptyPicture();
    if (readKey(bag, log, L"Picture", VT_DISPATCH, value))
        picture = pictureFrom(value);
    shaper.setPicture(std::move(picture));

    shaper.setMaskColor(readKey(bag, log, L"MaskColor", VT_I4, value)
                            ? static_cast<core::Color>(converted(value, VT_I4).get()->lVal)
                            : 0);
    shaper.setAutomaticMaskColor(
        readKey(bag, log, L"AutomaticMaskColor", VT_BOOL, value) ? booleanFrom(value) : kTrue);
    shaper.setShowPicture(readKey(bag, log, L"ShowPicture", VT_BOOL, value) ? booleanFrom(value)
                                                                            : kTrue);
}

void writeProperties(IPropertyBag& bag, const Shaper& shaper, bool saveAll) {
    VARIANT value;
    const runtime::Picture& picture = shaper.picture();
    if (saveAll || !picture.isEmpty()) {
        const win::ComPtr<IPictureDisp> dispatch =
            picture.isNothing() ? win::ComPtr<IPictureDisp>() : picture.dispatch();
        value.vt = VT_DISPATCH;
        value.pdispVal = dispatch.get();
        writeKey(bag, L"Picture", value);
    }
    if (saveAll || shaper.maskColor() != 0) {
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(shaper.maskColor());
        writeKey(bag, L"MaskColor", value);
    }
    if (saveAll || shaper.showPicture() != kTrue) {
        value.vt = VT_BOOL;
        value.boolVal = shaper.showPicture();
        writeKey(bag, L"ShowPicture", value);
    }
    if (saveAll || shaper.automaticMaskColor() != kTrue) {
        value.vt = VT_BOOL;
        value.boolVal = shaper.automaticMaskColor();
        writeKey(bag, L"AutomaticMaskColor", value);
    }
}

void writeStream(IStream& stream, const Shaper& shaper) {
    writeValue(stream, kStreamTag);
    writeValue(stream, kStreamVersion);
    const runtime::Picture& picture = shaper.picture();
    const std::uint8_t hasPicture = picture.isEmpty() ? 0 : 1;
    writeValue(stream, hasPicture);
    if (hasPicture) {
        const auto persist = win::ComPtr<IPicture>(picture.get()).query<IPersistStream>();
        win::check(::OleSaveToStream(persist.get(), &stream), L"Saving the picture");
    }
    writeValue(stream, static_cast<std::int32_t>(shaper.maskColor()));
    writeValue(stream, shaper.showPicture());
    writeValue(stream, shaper.automaticMaskColor());
}

void readStream(IStream& stream, Shaper& shaper) {
    if (readValue<std::uint32_t>(stream) != kStreamTag ||
        readValue<std::uint16_t>(stream) != kStreamVersion)
        throw win::Error(STG_E_OLDFORMAT, L"The stream does not hold this control's state.");
    runtime::Picture picture = runtime::emptyPicture();
    if (readValue<std::uint8_t>(stream))
        picture = readPicture(stream);
    shaper.setPicture(std::move(picture));
    shaper.setMaskColor(static_cast<core::Color>(readValue<std::int32_t>(stream)));
    shaper.setShowPicture(readValue<VARIANT_BOOL>(stream) ? VARIANT_TRUE : VARIANT_FALSE);
    shaper.setAutomaticMaskColor(readValue<VARIANT_BOOL>(stream) ? VARIANT_TRUE : VARIANT_FALSE);
}

} // namespace cutshape::control
