#include "container/dispatch_object.h"

#include "runtime/late_bound.h"

#include <string>

namespace cutshape::container {
namespace {

VARIANT pictureArgument(const runtime::Picture& picture, win::ComPtr<IPictureDisp>& keep) {
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
    return runtime::invokeMember(*object_.get(), id, flags, argument,
                                 L"member " + std::to_wstring(id));
}

void DispatchObject::call(DISPID id) const {
    invoke(id, DISPATCH_METHOD, nullptr);
}

void DispatchObject::call(DISPID id, const runtime::Picture& picture) const {
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

void DispatchObject::putRef(DISPID id, const runtime::Picture& picture) const {
    win::ComPtr<IPictureDisp> keep;
    VARIANT argument = pictureArgument(picture, keep);
    invoke(id, DISPATCH_PROPERTYPUTREF, &argument);
}

} // namespace cutshape::container
