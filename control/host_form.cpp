#include "control/host_form.h"

#include "runtime/late_bound.h"
#include "runtime/window_frame.h"

#include <olectl.h>

namespace cutshape::control {
namespace {

// A form reached by member name through its dispatch interface.
class DispatchHostForm final : public HostForm {
public:
    explicit DispatchHostForm(win::ComPtr<IDispatch> form) : form_(std::move(form)) {}

    void setPicture(const runtime::Picture& picture) override {
        win::ComPtr<IPictureDisp> dispatch;
        if (!picture.isNothing())
            dispatch = picture.dispatch();
        form_.putRef(L"Picture", dispatch.get());
    }
    float width() override { return single(L"Width"); }
    float height() override { return single(L"Height"); }
    void setWidth(float twips) override { putSingle(L"Width", twips); }
    void setHeight(float twips) override { putSingle(L"Height", twips); }
    HWND hwnd() override {
        // Window handles are 32-bit values, sign-extended on 64-bit Windows.
        const LONG handle = form_.get(L"hwnd").as(VT_I4).get()->lVal;
        return reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
    }
    void refresh() override { form_.call(L"Refresh"); }
    void setBorderStyle(std::int32_t style) override {
        VARIANT value;
        value.vt = VT_I4;
        value.lVal = style;
        form_.put(L"BorderStyle", value);
    }
    bool showInTaskbar() override {
        return form_.get(L"ShowInTaskbar").as(VT_BOOL).get()->boolVal != VARIANT_FALSE;
    }
    void setShowInTaskbar(bool show) override {
        VARIANT value;
        value.vt = VT_BOOL;
        value.boolVal = show ? VARIANT_TRUE : VARIANT_FALSE;
        form_.put(L"ShowInTaskbar", value);
    }

private:
    float single(const wchar_t* name) { return form_.get(name).as(VT_R4).get()->fltVal; }
    void putSingle(const wchar_t* name, float twips) {
        VARIANT value;
        value.vt = VT_R4;
        value.fltVal = twips;
        form_.put(name, value);
    }

    runtime::LateBound form_;
};

class WindowHostForm final : public HostForm {
public:
    WindowHostForm(HWND window, WindowPictures& pictures) : window_(window), pictures_(pictures) {}

    void setPicture(const runtime::Picture& picture) override { pictures_.paint(window_, picture); }
    float width() override { return runtime::outerWidthTwips(window_); }
    float height() override { return runtime::outerHeightTwips(window_); }
    void setWidth(float twips) override { runtime::setOuterWidthTwips(window_, twips); }
    void setHeight(float twips) override { runtime::setOuterHeightTwips(window_, twips); }
    HWND hwnd() override { return window_; }
    void refresh() override { runtime::refreshWindow(window_); }
    void setBorderStyle(std::int32_t style) override { runtime::setBorderStyle(window_, style); }
    bool showInTaskbar() override { return runtime::showsInTaskbar(window_); }
    void setShowInTaskbar(bool show) override { runtime::setShowInTaskbar(window_, show); }

private:
    HWND window_;
    WindowPictures& pictures_;
};

win::ComPtr<IDispatch> parentOfExtender(IOleClientSite* site) {
    win::ComPtr<IOleControlSite> controlSite =
        win::ComPtr<IOleClientSite>(site).tryQuery<IOleControlSite>();
    win::ComPtr<IDispatch> extender;
    if (!controlSite || FAILED(controlSite->GetExtendedControl(extender.put())) || !extender)
        return {};
    try {
        const win::Variant parent = runtime::LateBound(extender).get(L"Parent");
        if (parent.get()->vt == VT_DISPATCH && parent.get()->pdispVal)
            return win::ComPtr<IDispatch>(parent.get()->pdispVal);
    } catch (const win::Error&) {
        // An extender without a Parent: fall back to the site's window.
    }
    return {};
}

} // namespace

std::unique_ptr<HostForm> windowHostForm(HWND topLevel, WindowPictures& pictures) {
    return std::make_unique<WindowHostForm>(topLevel, pictures);
}

std::unique_ptr<HostForm> hostFormOf(IOleClientSite* site, WindowPictures& pictures) {
    if (!site)
        throw win::Error(STD_CTL_SCODE(398),
                         L"Client site not available: the control is not placed on a form.");
    if (win::ComPtr<IDispatch> parent = parentOfExtender(site))
        return std::make_unique<DispatchHostForm>(std::move(parent));
    // Some hosts answer only for the in-place site, not for its base IOleWindow.
    const win::ComPtr<IOleClientSite> clientSite(site);
    HWND window = nullptr;
    if (auto inPlace = clientSite.tryQuery<IOleInPlaceSite>())
        inPlace->GetWindow(&window);
    else if (auto siteWindow = clientSite.tryQuery<IOleWindow>())
        siteWindow->GetWindow(&window);
    if (!window)
        throw win::Error(STD_CTL_SCODE(398),
                         L"Client site not available: the container offers no form or window.");
    return windowHostForm(::GetAncestor(window, GA_ROOT), pictures);
}

} // namespace cutshape::control
