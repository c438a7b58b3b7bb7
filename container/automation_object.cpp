#include "container/automation_object.h"

#include "runtime/runtime_errors.h"
#include "win/com_error.h"

#include <cwchar>
#include <new>

namespace cutshape::container {

bool DispatchCall::isPut() const noexcept {
    return (flags_ & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
}

bool DispatchCall::isGet() const noexcept {
    return (flags_ & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0 && !isPut();
}

win::Variant DispatchCall::value(VARTYPE type) const {
    if (parameters_.cArgs != 1)
        throw win::Error(DISP_E_BADPARAMCOUNT, L"A property takes one value.");
    win::Variant converted;
    if (FAILED(::VariantChangeType(converted.get(), &parameters_.rgvarg[0], 0, type)))
        throw runtime::typeMismatchError();
    return converted;
}

void DispatchCall::returns(win::Variant value) {
    if (!isGet())
        AutomationObject::memberNotFound();
    if (result_)
        *result_ = value.release();
}

void DispatchCall::returnsBool(bool value) {
    win::Variant variant;
    variant.get()->vt = VT_BOOL;
    variant.get()->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    returns(std::move(variant));
}

void DispatchCall::returns(LONG value) {
    win::Variant variant;
    variant.get()->vt = VT_I4;
    variant.get()->lVal = value;
    returns(std::move(variant));
}

void DispatchCall::returns(float value) {
    win::Variant variant;
    variant.get()->vt = VT_R4;
    variant.get()->fltVal = value;
    returns(std::move(variant));
}

void DispatchCall::returns(std::wstring_view text) {
    win::Variant variant;
    variant.get()->vt = VT_BSTR;
    variant.get()->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!variant.get()->bstrVal)
        throw std::bad_alloc();
    returns(std::move(variant));
}

void DispatchCall::returns(IDispatch* object) {
    win::Variant variant;
    variant.get()->vt = VT_DISPATCH;
    variant.get()->pdispVal = object;
    if (object)
        object->AddRef();
    returns(std::move(variant));
}

void AutomationObject::memberNotFound() {
    throw win::Error(DISP_E_MEMBERNOTFOUND, L"The object has no such member, or it cannot be "
                                            L"called that way.");
}

HRESULT UntypedDispatch::GetTypeInfoCount(UINT* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT UntypedDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

// The first name is the member; the others would name its arguments, which no member has.
HRESULT AutomationObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) noexcept {
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0 && names[0])
            for (const DispatchMember& member : members())
                if (_wcsicmp(member.name, names[0]) == 0)
                    ids[0] = member.id;
        if (ids[i] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT AutomationObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                 VARIANT* result, EXCEPINFO* exception, UINT*) noexcept try {
    // Callers that pass no parameters at all mean none.
    static const DISPPARAMS kNoParameters{};
    if (result)
        ::VariantInit(result);
    DispatchCall call(flags, parameters ? *parameters : kNoParameters, result);
    invokeMember(id, call);
    return S_OK;
} catch (...) {
    return win::toDispatchResult(exception, sourceName());
}

} // namespace cutshape::container
