#include "runtime/dispatch_object.h"

#include <string>

namespace cutshape::runtime {
namespace {

VARIANT pictureArgument(const Picture& picture, win::ComPtr<IPictureDisp>& keep) {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    if (!picture.isNothing())
        keep = picture.dispatch();
    argument.pdispVal = keep.get();
    return argument;
}

} // namespace

DispatchObject::DispatchObject(win::ComPtr<IDispatch> object) : object_(std::move(object)) {
    if (!object_)
        throw win::Error(E_POINTER, L"No automation object to call.");
}

win::Variant DispatchObject::invoke(DISPID id, WORD flags, VARIANT* argument) const {
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
    const HRESULT status = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                           (flags & DISPATCH_PROPERTYGET) ? result.get() : nullptr,
                                           &exception, &argumentError);
    if (status == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        const HRESULT number =
            exception.scode ? exception.scode
                            : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode);
        std::wstring description = exception.bstrDescription ? exception.bstrDescription : L"";
        std::wstring source = exception.bstrSource ? exception.bstrSource : L"";
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrHelpFile);
        throw win::Error(number, std::move(description), std::move(source));
    }
    if (FAILED(status))
        win::check(status, (L"Calling member " + std::to_wstring(id)).c_str());
    return result;
}

void DispatchObject::call(DISPID id) const {
    invoke(id, DISPATCH_METHOD, nullptr);
}

void DispatchObject::call(DISPID id, const Picture& picture) const {
    win::ComPtr<IPictureDisp> keep;
    VARIANT argument = pictureArgument(picture, keep);
    invoke(id, DISPATCH_METHOD, &argument);
}

win::Variant DispatchObject::get(DISPID id) const {
    return invoke(id, DISPATCH_PROPERTYGET, nullptr);
}

void DispatchObject::put(DISPID id, const VARIANT& value) const {
    VARIANT argument = value; // shallow: Invoke does not take ownership
    invoke(id, DISPATCH_PROPERTYPUT, &argument);
}

void DispatchObject::put(DISPID id, bool value) const {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BOOL;
    argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    invoke(id, DISPATCH_PROPERTYPUT, &argument);
}

void DispatchObject::put(DISPID id, const wchar_t* value) const {
    win::Variant argument;
    argument.get()->vt = VT_BSTR;
    argument.get()->bstrVal = ::SysAllocString(value);
    if (!argument.get()->bstrVal)
        throw win::Error(E_OUTOFMEMORY, L"Out of memory");
    invoke(id, DISPATCH_PROPERTYPUT, argument.get());
}

void DispatchObject::putRef(DISPID id, const Picture& picture) const {
    win::ComPtr<IPictureDisp> keep;
    VARIANT argument = pictureArgument(picture, keep);
    invoke(id, DISPATCH_PROPERTYPUTREF, &argument);
}

} // namespace cutshape::runtime
