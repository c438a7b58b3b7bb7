#include "tests/control/control_harness.h"

#include "container/library_class.h"
#include "win/error.h"

#include <algorithm>
#include <cstdio>

namespace cutshape::test {

ControlLibrary::ControlLibrary() {
    // The build passes a Unix path; the Z: drive maps the Unix root.
    std::wstring path = L"Z:" CUTSHAPE_OCX_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    module_ = container::loadServerLibrary(path);
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

Call loadCall(IDispatch* control, const runtime::Picture& picture) {
    return call(control, dispid::kLoad, {variantOf(picture.dispatch().get())});
}

VARIANT variantOf(IDispatch* object) {
    return variantOfType(VT_DISPATCH, object);
}
VARIANT variantOf(LONG number) {
    return variantOfType(VT_I4, number);
}
VARIANT variantOfBool(bool flag) {
    return variantOfType(VT_BOOL, VARIANT_BOOL{flag ? VARIANT_TRUE : VARIANT_FALSE});
}
VARIANT variantOf(BSTR text) {
    return variantOfType(VT_BSTR, text);
}
VARIANT missingArgument() {
    return variantOfType(VT_ERROR, SCODE{DISP_E_PARAMNOTFOUND});
}

HostedControl::HostedControl(container::FormDesign design, bool userMode, IPropertyBag* stored,
                             container_kinds::ContainerKind container)
    : HostedControl(win::makeCom<container::Form>(design), userMode, stored, container) {}

HostedControl::HostedControl(win::ComPtr<container::Form> existing, bool userMode,
                             IPropertyBag* stored, container_kinds::ContainerKind container)
    : form(std::move(existing)) {
    container_kinds::Presentation presentation = container_kinds::presentationOf(container, form);
    standIn = std::move(presentation.standIn);
    container::ControlSite::Placement placement{L"Cutshape1", userMode, RECT{8, 8, 44, 44},
                                                std::move(presentation.extender)};
    site =
        container::ControlSite::host(form, ControlLibrary::instance().create(), placement, stored);
    control = site->control();
}

HostedControl::~HostedControl() {
    control.reset();
    if (site)
        site->close();
}

std::string hexOf(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

void ProbeFaults::add(std::string text) {
    if (++count_ <= 20)
        listed_.push_back(std::move(text));
}

void ProbeFaults::print() const {
    for (const std::string& fault : listed_)
        std::printf("fault: %s\n", fault.c_str());
    if (count_ > listed_.size())
        std::printf("fault: %zu more not listed\n", count_ - listed_.size());
}

int runProbe(const char* name, const std::function<int()>& run) {
    if (FAILED(::OleInitialize(nullptr)))
        return 3;
    int status = 3;
    try {
        status = run();
    } catch (const std::exception& error) {
        std::printf("%s: %s\n", name, error.what());
    }
    std::fflush(stdout);
    ::OleUninitialize();
    return status;
}

} // namespace cutshape::test
