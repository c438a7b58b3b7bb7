#include "control/host_form.h"

#include "runtime/late_bound.h"
#include "runtime/window_frame.h"
#include "win/error.h"

#include <olectl.h>

namespace cutshape::control {
namespace {

// The member the named path reads for the window; a Parent that does not know it is not
// the form the control was made for.
constexpr const wchar_t* kHwndMember = L"hwnd";

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
        const LONG handle = form_.get(kHwndMember).as(VT_I4).get()->lVal;
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

// A bare top-level window: what a form does by its members, done on the window itself.
class TopLevelWindowForm final : public HostForm {
public:
    TopLevelWindowForm(HWND window, WindowPictures& pictures, const runtime::Resolution& at)
        : window_(window), pictures_(pictures), at_(at) {}

    void setPicture(const runtime::Picture& picture) override {
        pictures_.setBackground(liveWindow(), picture, at_);
    }
    float width() override { return runtime::outerWidthTwips(liveWindow(), at_); }
    float height() override { return runtime::outerHeightTwips(liveWindow(), at_); }
    void setWidth(float twips) override { runtime::setOuterWidthTwips(liveWindow(), twips, at_); }
    void setHeight(float twips) override { runtime::setOuterHeightTwips(liveWindow(), twips, at_); }
    HWND hwnd() override { return liveWindow(); }
    void refresh() override { runtime::refreshWindow(liveWindow()); }
    void setBorderStyle(std::int32_t style) override {
        runtime::setBorderStyle(liveWindow(), style);
    }
    bool showInTaskbar() override { return runtime::showsInTaskbar(liveWindow()); }
    void setShowInTaskbar(bool show) override { runtime::setShowInTaskbar(liveWindow(), show); }

private:
    HWND liveWindow() const {
        if (!::IsWindow(window_))
            throw win::Error(STD_CTL_SCODE(398),
                             L"Client site not available: the container's window is gone.");
        return window_;
    }

    HWND window_;
    WindowPictures& pictures_;
    runtime::Resolution at_;
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
        win::reportCaught(L"reading the extended control's Parent; shaping the site's window");
    }
    return {};
}

// Asks by name only: GetIDsOfNames calls nothing on the object.
bool knowsHwnd(IDispatch& parent) noexcept {
    auto* names = const_cast<LPOLESTR>(kHwndMember);
    DISPID id = DISPID_UNKNOWN;
    return SUCCEEDED(parent.GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id)) &&
           id != DISPID_UNKNOWN;
}

} // namespace

std::unique_ptr<HostForm> windowAsHostForm(HWND window, WindowPictures& pictures,
                                           const runtime::Resolution& at) {
    return std::make_unique<TopLevelWindowForm>(window, pictures, at);
}

std::unique_ptr<HostForm> hostFormOf(IOleClientSite* site, WindowPictures& pictures,
                                     const runtime::Resolution& at) {
    if (!site)
        throw win::Error(STD_CTL_SCODE(398),
                         L"Client site not available: the control is not placed on a form.");
    if (win::ComPtr<IDispatch> parent = parentOfExtender(site); parent && knowsHwnd(*parent.get()))
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
    return windowAsHostForm(::GetAncestor(window, GA_ROOT), pictures, at);
}

} // namespace cutshape::control
