#include "tests/control/control_harness.h"

#include "container/library_class.h"
#include "win/error.h"

#include <algorithm>

namespace cutshape::testing {

ControlLibrary::ControlLibrary() {
    // The build passes a Unix path; the Z: drive maps the Unix root.
    std::wstring path = L"Z:" CUTSHAPE_OCX_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    path_ = path;
    module_ = container::loadServerLibrary(path_);
}

ControlLibrary& ControlLibrary::instance() {
    static ControlLibrary library;
    return library;
}

HRESULT ControlLibrary::canUnloadNow() const {
    const auto function = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module_, "DllCanUnloadNow")));
    return function ? function() : E_FAIL;
}

win::ComPtr<IClassFactory> ControlLibrary::factory() const {
    return container::classFactoryOf(module_, kCutshapeClsid);
}

win::ComPtr<IUnknown> ControlLibrary::create() const {
    win::ComPtr<IUnknown> control;
    win::check(factory()->CreateInstance(nullptr, IID_IUnknown, control.putVoid()),
               L"CreateInstance");
    return control;
}

Call::~Call() {
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
}

Call invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> arguments) {
    std::reverse(arguments.begin(), arguments.end());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{};
    parameters.rgvarg = arguments.empty() ? nullptr : arguments.data();
    parameters.cArgs = static_cast<UINT>(arguments.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
    }
    Call call;
    call.status = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                 call.result.get(), &call.exception, &call.argumentError);
    return call;
}

Call get(IDispatch* object, DISPID id) {
    return invoke(object, id, DISPATCH_PROPERTYGET);
}
Call put(IDispatch* object, DISPID id, VARIANT value) {
    return invoke(object, id, DISPATCH_PROPERTYPUT, {value});
}
Call putRef(IDispatch* object, DISPID id, IDispatch* value) {
    return invoke(object, id, DISPATCH_PROPERTYPUTREF, {variantOf(value)});
}
Call call(IDispatch* object, DISPID id, std::vector<VARIANT> arguments) {
    return invoke(object, id, DISPATCH_METHOD, std::move(arguments));
}

VARIANT variantOf(IDispatch* object) {
    VARIANT value;
    value.vt = VT_DISPATCH;
    value.pdispVal = object;
    return value;
}
VARIANT variantOf(LONG number) {
    VARIANT value;
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}
VARIANT variantOfBool(bool flag) {
    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}
VARIANT variantOf(BSTR text) {
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = text;
    return value;
}
VARIANT missingArgument() {
    VARIANT value;
    value.vt = VT_ERROR;
    value.scode = DISP_E_PARAMNOTFOUND;
    return value;
}

HostedControl::HostedControl(container::FormDesign design, bool userMode, IPropertyBag* stored,
                             container::ContainerKind container)
    : HostedControl(win::makeCom<container::Form>(design), userMode, stored, container) {}

HostedControl::HostedControl(win::ComPtr<container::Form> existing, bool userMode,
                             IPropertyBag* stored, container::ContainerKind container)
    : form(std::move(existing)) {
    container::ControlSite::Placement placement{L"Cutshape1", userMode, RECT{8, 8, 44, 44},
                                                container};
    site =
        container::ControlSite::host(form, ControlLibrary::instance().create(), placement, stored);
    control = site->control();
}

HostedControl::~HostedControl() {
    control.reset();
    if (site)
        site->close();
}

} // namespace cutshape::testing
