#include "container/property_bag.h"

#include "win/com_error.h"

#include <cwctype>

namespace cutshape::container {
namespace {

constexpr const wchar_t* kSource = L"PropertyBag";

} // namespace

std::wstring PropertyBag::key(const std::wstring& name) {
    std::wstring result = name;
    for (wchar_t& c : result)
        c = static_cast<wchar_t>(std::towlower(c));
    return result;
}

const VARIANT* PropertyBag::find(const std::wstring& name) const {
    const auto found = values_.find(key(name));
    return found == values_.end() ? nullptr : found->second.get();
}

void PropertyBag::set(const std::wstring& name, const VARIANT& value) {
    // The bag outlives the caller's storage: a reference is stored as the value it points to.
    if (!win::isSafeToFollow(value))
        throw win::Error(DISP_E_TYPEMISMATCH,
                         L"Storing a property: a reference to nothing or to another reference");
    win::Variant copy;
    win::check(::VariantCopyInd(copy.get(), const_cast<VARIANT*>(&value)), L"Storing a property");
    values_.insert_or_assign(key(name), std::move(copy));
}

HRESULT PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) noexcept try {
    if (!name || !value)
        return E_POINTER;
    const VARIANT* stored = find(name);
    if (!stored)
        return E_INVALIDARG;
    const VARTYPE wanted = value->vt;
    ::VariantInit(value);
    // Objects are handed out as they are; other values in the type the reader asks for.
    if (wanted == VT_EMPTY || wanted == stored->vt || stored->vt == VT_DISPATCH ||
        stored->vt == VT_UNKNOWN)
        return ::VariantCopy(value, const_cast<VARIANT*>(stored));
    return ::VariantChangeType(value, const_cast<VARIANT*>(stored), 0, wanted);
} catch (...) {
    return win::toComError(IID_IPropertyBag, kSource);
}

HRESULT PropertyBag::Write(LPCOLESTR name, VARIANT* value) noexcept try {
    if (!name || !value)
        return E_POINTER;
    set(name, *value);
    return S_OK;
} catch (...) {
    return win::toComError(IID_IPropertyBag, kSource);
}

} // namespace cutshape::container
