// The control as an embedded OLE object: in-place activation in its container's window,
// its extent, view and control information, and its face while its form is designed. The
// automation interface and persistence are in cutshape_control.cpp.

#include "control/control_face.h"
#include "control/cutshape_control.h"
#include "control/registration_data.h"
#include "control/server.h"
#include "core/twips.h"
#include "win/com_error.h"

#include <olectl.h>

namespace cutshape::control {
namespace {

// Registration records the same value for containers that read it before creating us.
constexpr DWORD kMiscStatus = registration::kMiscStatusContent;
static_assert(kMiscStatus == (OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE));

} // namespace

// ---- IOleObject ----

HRESULT Control::SetClientSite(IOleClientSite* site) noexcept {
    site_ = win::ComPtr<IOleClientSite>(site);
    return S_OK;
}

HRESULT Control::GetClientSite(IOleClientSite** site) noexcept {
    if (!site)
        return E_POINTER;
    *site = win::ComPtr<IOleClientSite>(site_).release();
    return S_OK;
}

HRESULT Control::SetHostNames(LPCOLESTR, LPCOLESTR) noexcept {
    return S_OK;
}

HRESULT Control::Close(DWORD) noexcept {
    InPlaceDeactivate();
    shaper_.removeSoftEdge(); // the container unloads the control
    if (adviseHolder_)
        adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT Control::SetMoniker(DWORD, IMoniker*) noexcept {
    return E_NOTIMPL;
}

HRESULT Control::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT Control::InitFromData(IDataObject*, BOOL, DWORD) noexcept {
    return E_NOTIMPL;
}

HRESULT Control::GetClipboardData(DWORD, IDataObject** data) noexcept {
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT Control::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                        LPCRECT position) noexcept try {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: {
        if (window_)
            return S_OK;
        if (site && !site_)
            site_ = win::ComPtr<IOleClientSite>(site);
        inPlaceSite_ = site_.tryQuery<IOleInPlaceSite>();
        RECT rect = position ? *position : RECT{0, 0, 0, 0};
        HWND host = parent;
        if (inPlaceSite_) {
            if (inPlaceSite_->CanInPlaceActivate() != S_OK)
                return E_FAIL;
            inPlaceSite_->OnInPlaceActivate();
            if (!host)
                inPlaceSite_->GetWindow(&host);
            if (!position) {
                win::ComPtr<IOleInPlaceFrame> frame;
                win::ComPtr<IOleInPlaceUIWindow> document;
                RECT clip{};
                OLEINPLACEFRAMEINFO frameInfo{};
                frameInfo.cb = sizeof frameInfo;
                inPlaceSite_->GetWindowContext(frame.put(), document.put(), &rect, &clip,
                                               &frameInfo);
            }
        }
        window_ = createFaceWindow(*this, host, rect, !userMode());
        return S_OK;
    }
    case OLEIVERB_HIDE:
        if (window_)
            ::ShowWindow(window_.get(), SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES:
    case OLEIVERB_OPEN:
        return OLEOBJ_S_INVALIDVERB;
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
} catch (...) {
    return reportException(IID_IOleObject);
}

HRESULT Control::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
    return ::OleRegEnumVerbs(CLSID_Cutshape, verbs);
}

HRESULT Control::Update() noexcept {
    return S_OK;
}
HRESULT Control::IsUpToDate() noexcept {
    return S_OK;
}

HRESULT Control::GetUserClassID(CLSID* clsid) noexcept {
    return GetClassID(clsid);
}

HRESULT Control::GetUserType(DWORD form, LPOLESTR* type) noexcept {
    return ::OleRegGetUserType(CLSID_Cutshape, form, type);
}

HRESULT Control::SetExtent(DWORD aspect, SIZEL* size) noexcept try {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    resize(core::twipsFromHimetric(size->cx), core::twipsFromHimetric(size->cy));
    return S_OK;
} catch (...) {
    return reportException(IID_IOleObject);
}

HRESULT Control::GetExtent(DWORD aspect, SIZEL* size) noexcept {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = SIZEL{core::himetricFromTwips(widthTwips_), core::himetricFromTwips(heightTwips_)};
    return S_OK;
}

HRESULT Control::Advise(IAdviseSink* sink, DWORD* connection) noexcept {
    if (!adviseHolder_ && FAILED(::CreateOleAdviseHolder(adviseHolder_.put())))
        return E_OUTOFMEMORY;
    return adviseHolder_->Advise(sink, connection);
}

HRESULT Control::Unadvise(DWORD connection) noexcept {
    return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT Control::EnumAdvise(IEnumSTATDATA** advise) noexcept {
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advise) : S_OK;
}

HRESULT Control::GetMiscStatus(DWORD, DWORD* status) noexcept {
    if (!status)
        return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

HRESULT Control::SetColorScheme(LOGPALETTE*) noexcept {
    return E_NOTIMPL;
}

// ---- IOleInPlaceObject ----

HRESULT Control::GetWindow(HWND* window) noexcept {
    if (!window)
        return E_POINTER;
    *window = window_.get();
    return window_ ? S_OK : E_FAIL;
}

HRESULT Control::ContextSensitiveHelp(BOOL) noexcept {
    return E_NOTIMPL;
}

HRESULT Control::InPlaceDeactivate() noexcept {
    if (!window_)
        return S_OK;
    window_.reset();
    if (inPlaceSite_)
        inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.reset();
    return S_OK;
}

HRESULT Control::UIDeactivate() noexcept {
    return S_OK;
}

HRESULT Control::SetObjectRects(LPCRECT position, LPCRECT) noexcept {
    if (!position)
        return E_POINTER;
    if (window_)
        ::SetWindowPos(window_.get(), nullptr, position->left, position->top,
                       position->right - position->left, position->bottom - position->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT Control::ReactivateAndUndo() noexcept {
    return E_NOTIMPL;
}

// ---- IOleControl ----

HRESULT Control::GetControlInfo(CONTROLINFO* info) noexcept {
    if (!info)
        return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT Control::OnMnemonic(MSG*) noexcept {
    return E_NOTIMPL;
}

HRESULT Control::OnAmbientPropertyChange(DISPID) noexcept {
    if (window_)
        ::ShowWindow(window_.get(), userMode() ? SW_HIDE : SW_SHOWNA);
    return S_OK;
}

HRESULT Control::FreezeEvents(BOOL) noexcept {
    return S_OK;
}

// ---- IViewObject2 ----

HRESULT Control::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                      LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) noexcept try {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    if (!userMode())
        paintFace(dc, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom});
    return S_OK;
} catch (...) {
    return reportException(IID_IViewObject);
}

HRESULT Control::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                             LOGPALETTE** colors) noexcept {
    if (colors)
        *colors = nullptr;
    return S_FALSE;
}

HRESULT Control::Freeze(DWORD, LONG, void*, DWORD*) noexcept {
    return E_NOTIMPL;
}
HRESULT Control::Unfreeze(DWORD) noexcept {
    return E_NOTIMPL;
}

HRESULT Control::SetAdvise(DWORD, DWORD, IAdviseSink* sink) noexcept {
    viewSink_ = win::ComPtr<IAdviseSink>(sink);
    return S_OK;
}

HRESULT Control::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept {
    if (aspects)
        *aspects = DVASPECT_CONTENT;
    if (flags)
        *flags = 0;
    if (sink)
        *sink = win::ComPtr<IAdviseSink>(viewSink_).release();
    return S_OK;
}

HRESULT Control::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
    return GetExtent(aspect, size);
}

// ---- the control's face, shown only while its form is designed ----

bool Control::userMode() const {
    // Without ambient properties the control is taken to be running.
    const win::ComPtr<IDispatch> ambient = site_.tryQuery<IDispatch>();
    if (!ambient)
        return true;
    VARIANT value;
    ::VariantInit(&value);
    DISPPARAMS none{};
    if (FAILED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)))
        return true;
    const bool running = !(value.vt == VT_BOOL && value.boolVal == VARIANT_FALSE);
    ::VariantClear(&value);
    return running;
}

void Control::resize(float widthTwips, float heightTwips) {
    widthTwips_ = widthTwips;
    heightTwips_ = heightTwips;
    // Resize: whatever size the control is given, it keeps its creation size.
    const SIZE kept = pinnedSize_.twips();
    widthTwips_ = static_cast<float>(kept.cx);
    heightTwips_ = static_cast<float>(kept.cy);
}

void Control::paintFace(HDC dc, const RECT& bounds) {
    drawFace(dc, bounds);
    // The Paint event: the form being designed has no border.
    makeBorderless(*hostForm(runtime::screenResolution()));
}

LRESULT Control::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const win::UniquePaintDc dc(window);
    RECT client{};
    ::GetClientRect(window, &client);
    try {
        paintFace(dc.get(), client);
    } catch (...) {
        // A form that refuses the border change keeps its border; the face is drawn.
        win::reportCaught(L"painting the control's face");
    }
    return 0;
}

} // namespace cutshape::control
