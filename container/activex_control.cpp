#include "container/activex_control.h"

#include "container/bundled_files.h"
#include "runtime/picture.h"
#include "win/text.h"

#include <cstdio>
#include <iterator>
#include <olectl.h>

namespace cutshape::container {

using forms::ControlDescription;
using forms::StoredProperty;
using forms::StoredType;

namespace {

constexpr HRESULT kCannotCreateObject = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 429);

GUID guidFrom(const std::string& text) {
    GUID guid{};
    std::wstring wide = win::widen(text);
    win::check(::CLSIDFromString(wide.data(), &guid), (L"Reading the identifier " + wide).c_str());
    return guid;
}

} // namespace

win::ComPtr<IUnknown> createActiveX(const ControlDescription& description) {
    CLSID classId{};
    HRESULT status = description.classId.empty()
                         ? ::CLSIDFromProgID(win::widen(description.className).c_str(), &classId)
                         : ::CLSIDFromString(win::widen(description.classId).data(), &classId);
    win::ComPtr<IUnknown> control;
    if (SUCCEEDED(status))
        status = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    control.putVoid());
    if (FAILED(status)) {
        wchar_t code[16];
        std::swprintf(code, std::size(code), L"0x%08lX", static_cast<unsigned long>(status));
        const std::wstring reason = win::systemMessage(status);
        throw win::Error(kCannotCreateObject,
                         L"The ActiveX control " + win::widen(description.name) + L" (" +
                             win::widen(description.className) + L" " +
                             win::widen(description.classId) + L", library " +
                             win::widen(description.libraryFile) + L") cannot be created: " +
                             (reason.empty() ? std::wstring(L"error") : reason) + L" " + code);
    }
    return control;
}

win::ComPtr<PropertyBag> storedProperties(const ControlDescription& description) {
    win::ComPtr<PropertyBag> bag = win::makeCom<PropertyBag>();
    for (const StoredProperty& property : description.stored) {
        win::Variant value;
        VARIANT& v = *value.get();
        switch (property.type) {
        case StoredType::Integer16:
            v.vt = VT_I2;
            v.iVal = static_cast<SHORT>(property.integer);
            break;
        case StoredType::Integer32:
            v.vt = VT_I4;
            v.lVal = property.integer;
            break;
        case StoredType::Single:
            v.vt = VT_R4;
            v.fltVal = property.single;
            break;
        case StoredType::Boolean:
            v.vt = VT_BOOL;
            v.boolVal = property.integer ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case StoredType::String:
            v.vt = VT_BSTR;
            v.bstrVal = ::SysAllocString(win::widen(property.text).c_str());
            break;
        case StoredType::Picture: {
            const runtime::Picture picture =
                runtime::pictureFromBytes(bundledFile(property.text), win::widen(property.text));
            v.vt = VT_DISPATCH;
            v.pdispVal = picture.dispatch().release();
            break;
        }
        }
        bag->set(win::widen(property.name), v);
    }
    return bag;
}

win::ComPtr<IDispatch> automationInterface(const ControlDescription& description,
                                           const win::ComPtr<IUnknown>& control) {
    if (!description.defaultInterfaceId.empty()) {
        win::ComPtr<IDispatch> earlier;
        const GUID id = guidFrom(description.defaultInterfaceId);
        if (SUCCEEDED(control->QueryInterface(id, earlier.putVoid())) && earlier)
            return earlier;
    }
    return control.query<IDispatch>();
}

} // namespace cutshape::container
