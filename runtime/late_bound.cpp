#include "runtime/late_bound.h"

#include "win/com_error.h"

#include <new>
#include <optional>
#include <string>

namespace cutshape::runtime {
namespace {

// What a call with these flags does to `member`, for an error description.
std::wstring attempted(WORD flags, const std::wstring& member) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
        return L"Setting " + member;
    if (flags & DISPATCH_PROPERTYGET)
        return L"Reading " + member;
    return L"Calling " + member;
}

std::wstring taken(BSTR& text) {
    std::wstring result = text ? text : L"";
    ::SysFreeString(text);
    text = nullptr;
    return result;
}

// The error information an object left for its failed call, when it says it leaves some.
std::optional<win::Error> errorInfoOf(IDispatch& object, HRESULT status) {
    const auto support = win::ComPtr<IDispatch>(&object).tryQuery<ISupportErrorInfo>();
    if (!support || support->InterfaceSupportsErrorInfo(IID_IDispatch) != S_OK)
        return std::nullopt;
    return win::takeErrorInfo(status);
}

} // namespace

LateBound::LateBound(win::ComPtr<IDispatch> object) : object_(std::move(object)) {
    if (!object_)
        throw win::Error(E_POINTER, L"No object to call.");
}

DISPID Member::idIn(IDispatch& object) const {
    if (!name_)
        return id_;
    DISPID id = DISPID_UNKNOWN;
    auto* names = const_cast<LPOLESTR>(name_);
    const HRESULT result = object.GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result))
        throw win::Error(result == DISP_E_UNKNOWNNAME ? DISP_E_MEMBERNOTFOUND : result,
                         std::wstring(L"Object doesn't support property or method '") + name_ +
                             L"'");
    return id;
}

std::wstring Member::label() const {
    return name_ ? std::wstring(L"'") + name_ + L"'" : L"member " + std::to_wstring(id_);
}

win::Variant invokeMember(IDispatch& object, DISPID id, WORD flags, VARIANT* argument,
                          const std::wstring& member) {
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{};
    if (argument) {
        parameters.rgvarg = argument;
        parameters.cArgs = 1;
    }
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        parameters.rgdispidNamedArgs = &namedPut;
        parameters.cNamedArgs = 1;
    }
    win::Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    ::SetErrorInfo(0, nullptr); // what an earlier call left is not this call's error
    const HRESULT status = object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                         (flags & DISPATCH_PROPERTYGET) ? result.get() : nullptr,
                                         &exception, &argumentError);
    if (status == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        const HRESULT number =
            exception.scode ? exception.scode
                            : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode);
        std::wstring description = taken(exception.bstrDescription);
        std::wstring source = taken(exception.bstrSource);
        ::SysFreeString(exception.bstrHelpFile);
        throw win::Error(number, std::move(description), std::move(source));
    }
    if (FAILED(status)) {
        if (std::optional<win::Error> own = errorInfoOf(object, status))
            throw *own;
        // A bare status: say which member failed, how, and what the status means.
        throw win::Error(status, attempted(flags, member) + L" failed: " + win::errorText(status));
    }
    return result;
}

win::Variant LateBound::invoke(Member member, WORD flags, VARIANT* argument) const {
    return invokeMember(*object_.get(), member.idIn(*object_.get()), flags, argument,
                        member.label());
}

win::Variant LateBound::get(Member member) const {
    return invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr);
}

void LateBound::put(Member member, const VARIANT& value) const {
    VARIANT argument = value; // shallow: Invoke does not take ownership
    invoke(member, DISPATCH_PROPERTYPUT, &argument);
}

void LateBound::put(Member member, bool value) const {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BOOL;
    argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    invoke(member, DISPATCH_PROPERTYPUT, &argument);
}

void LateBound::put(Member member, const wchar_t* value) const {
    win::Variant argument;
    argument.get()->vt = VT_BSTR;
    argument.get()->bstrVal = ::SysAllocString(value);
    if (!argument.get()->bstrVal)
        throw std::bad_alloc();
    invoke(member, DISPATCH_PROPERTYPUT, argument.get());
}

void LateBound::putRef(Member member, IDispatch* object) const {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = object;
    invoke(member, DISPATCH_PROPERTYPUTREF, &argument);
}

void LateBound::putRef(Member member, const Picture& picture) const {
    const win::ComPtr<IPictureDisp> object =
        picture.isNothing() ? win::ComPtr<IPictureDisp>() : picture.dispatch();
    putRef(member, object.get());
}

void LateBound::call(Member member) const {
    invoke(member, DISPATCH_METHOD, nullptr);
}

void LateBound::call(Member member, const Picture& picture) const {
    const win::ComPtr<IPictureDisp> object =
        picture.isNothing() ? win::ComPtr<IPictureDisp>() : picture.dispatch();
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = object.get();
    invoke(member, DISPATCH_METHOD, &argument);
}

} // namespace cutshape::runtime
