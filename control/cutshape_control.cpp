#include "control/cutshape_control.h"

#include "control/about/about_dialog.h"
#include "control/compatibility_map.h"
#include "control/dispatch_parameters.h"
#include "control/persistence.h"
#include "control/registration_data.h"
#include "control/server.h"
#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "win/com_error.h"

#include <olectl.h>

namespace cutshape::control {
namespace {

// Registration records the same value for containers that read it before creating us.
constexpr DWORD kMiscStatus = registration::kMiscStatusContent;
static_assert(kMiscStatus == (OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE));
constexpr const wchar_t* kWindowClass = L"CutshapeControlFace";
LONG himetricFromTwips(float twips) noexcept {
    return static_cast<LONG>(twips * core::kHimetricPerInch / core::kTwipsPerInch + 0.5f);
}
float twipsFromHimetric(LONG himetric) noexcept {
    return static_cast<float>(himetric) * core::kTwipsPerInch / core::kHimetricPerInch;
}

// Whether a value stands for no picture object: script clients have no Nothing and pass
// null or an empty value instead.
bool meansNoPicture(const VARIANT& value) noexcept {
    return value.vt == VT_NULL || value.vt == VT_EMPTY;
}

// Takes the picture argument of a checked dispatch call: missing (left out, or the error
// value that stands for a missing optional argument), null or empty gives no picture.
runtime::Picture pictureArgument(const VARIANT& argument) {
    const VARIANT* value = &dereferenced(argument);
    if (meansNoPicture(*value))
        return {};
    switch (value->vt) {
    case VT_ERROR:
        if (value->scode == DISP_E_PARAMNOTFOUND)
            return {};
        break;
    case VT_DISPATCH:
        return runtime::Picture::fromObject(value->pdispVal);
    case VT_UNKNOWN:
        return runtime::Picture::fromObject(value->punkVal);
    case VT_DISPATCH | VT_BYREF:
        return runtime::Picture::fromObject(*value->ppdispVal);
    case VT_UNKNOWN | VT_BYREF:
        return runtime::Picture::fromObject(*value->ppunkVal);
    default:
        break;
    }
    throw runtime::typeMismatchError();
}

// Whether a checked call is a property put of one value, by value or by reference, that
// means no picture.
bool putsNoPicture(WORD flags, const DISPPARAMS& parameters) noexcept {
    return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && parameters.cArgs == 1 &&
           parameters.cNamedArgs == 1 && parameters.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT &&
           meansNoPicture(dereferenced(parameters.rgvarg[0]));
}

using CompatibilityMap = std::vector<std::pair<GUID, GUID>>;

// The library's map of type `map`, read once: the resources do not change while it is loaded.
// A module without the map answers current identifiers only.
CompatibilityMap readOrEmpty(const wchar_t* map) noexcept {
    try {
        return readCompatibilityMap(moduleHandle(), map);
    } catch (...) {
        return {};
    }
}
const CompatibilityMap& compatibilityMap(const wchar_t* map) noexcept {
    static const CompatibilityMap defaultInterface = readOrEmpty(kDefaultInterfaceMap);
    static const CompatibilityMap eventInterface = readOrEmpty(kEventInterfaceMap);
    return map == kEventInterfaceMap ? eventInterface : defaultInterface;
}

// The identifier `iid` stands for: itself, or the current identifier an earlier one maps to
// in the library's compatibility map of type `map`.
GUID currentIdentifier(REFIID iid, const wchar_t* map) noexcept {
    for (const auto& [earlier, current] : compatibilityMap(map))
        if (earlier == iid)
            return current;
    return iid;
}

} // namespace

Control::Control()
    : shaper_([this] { return hostFormOf(site_.get(), windowPictures_); }),
      events_(*identity(), *static_cast<IConnectionPointContainer*>(this)) {
    // Initialize: the control records its creation size, the one it keeps from now on.
    shaper_.initialize(widthTwips_, heightTwips_);
}

Control::~Control() {
    // The window outlives the control's members by a moment: its last messages go nowhere.
    if (window_)
        win::detachHandler(window_.get());
}

HRESULT Control::fail(REFIID iid) noexcept {
    return win::toComError(iid, kControlName);
}

void* Control::findOtherInterface(REFIID iid) noexcept {
    if (currentIdentifier(iid, kDefaultInterfaceMap) == IID__Cutshape)
        return static_cast<_Cutshape*>(this);
    return nullptr;
}

ITypeInfo& Control::typeInfo() {
    if (!typeInfo_) {
        win::ComPtr<ITypeLib> library;
        win::check(::LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, library.put()),
                   L"Loading the control's type library");
        win::check(library->GetTypeInfoOfGuid(IID__Cutshape, typeInfo_.put()),
                   L"Finding the control's interface");
    }
    return *typeInfo_.get();
}

// ---- IDispatch ----

HRESULT Control::GetTypeInfoCount(UINT* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT Control::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept try {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    *info = &typeInfo();
    (*info)->AddRef();
    return S_OK;
} catch (...) {
    return fail(IID_IDispatch);
}

HRESULT Control::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept
    try {
    return ::DispGetIDsOfNames(&typeInfo(), names, count, ids);
} catch (...) {
    return fail(IID_IDispatch);
}

HRESULT Control::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept try {
    if (!parameters)
        return E_INVALIDARG;
    if (const HRESULT checked = checkParameters(*parameters, argumentError); FAILED(checked))
        return checked;
    // Load's optional object argument is taken here: the system's dispatcher would hand a
    // missing one on as an error value in place of an interface pointer.
    if (id == dispid::kLoad && (flags & DISPATCH_METHOD))
        return invokeLoad(parameters, exception, argumentError);
    // A script's "Picture = null" clears the picture, as assigning Nothing does.
    if (id == dispid::kPicture && putsNoPicture(flags, *parameters))
        return putref_Picture(nullptr);
    if (const HRESULT count = checkArgumentCount(id, flags, *parameters); FAILED(count))
        return count;
    return ::DispInvoke(static_cast<_Cutshape*>(this), &typeInfo(), id, flags, parameters, result,
                        exception, argumentError);
} catch (...) {
    return fail(IID_IDispatch);
}

// The system's dispatcher does not always refuse surplus arguments; the type library
// says how many each member takes.
HRESULT Control::checkArgumentCount(DISPID id, WORD flags, const DISPPARAMS& parameters) {
    ITypeInfo& info = typeInfo();
    TYPEATTR* attributes = nullptr;
    if (FAILED(info.GetTypeAttr(&attributes)))
        return S_OK;
    const WORD functionCount = attributes->cFuncs;
    info.ReleaseTypeAttr(attributes);
    for (UINT index = 0; index < functionCount; ++index) {
        FUNCDESC* function = nullptr;
        if (FAILED(info.GetFuncDesc(index, &function)))
            continue;
        const bool matches = function->memid == id && (flags & function->invkind);
        UINT expected = static_cast<UINT>(function->cParams);
        if (function->invkind == INVOKE_PROPERTYGET && expected > 0)
            --expected; // the value comes back as the result, not as an argument
        info.ReleaseFuncDesc(function);
        if (matches && parameters.cArgs <= expected)
            return S_OK;
        if (matches)
            return DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
}

HRESULT Control::invokeLoad(DISPPARAMS* parameters, EXCEPINFO* exception,
                            UINT* argumentError) noexcept {
    if (parameters->cNamedArgs > 0)
        return DISP_E_NONAMEDARGS;
    if (parameters->cArgs > 1)
        return DISP_E_BADPARAMCOUNT;
    runtime::Picture picture;
    try {
        if (parameters->cArgs == 1)
            picture = pictureArgument(parameters->rgvarg[0]);
    } catch (const win::Error&) {
        if (argumentError)
            *argumentError = 0;
        return DISP_E_TYPEMISMATCH;
    } catch (...) {
        return win::toDispatchException(exception, kControlName, IID__Cutshape);
    }
    try {
        shaper_.load(picture);
        return S_OK;
    } catch (...) {
        // A member's error is a dispatch exception whether or not the caller asked for its
        // details; without an EXCEPINFO the error information stays for GetErrorInfo.
        return win::toDispatchException(exception, kControlName, IID__Cutshape);
    }
}

// ---- _Cutshape ----

HRESULT Control::get_Picture(Picture** value) noexcept try {
    if (!value)
        return E_POINTER;
    *value = nullptr;
    const runtime::Picture& picture = shaper_.picture();
    if (!picture.isNothing())
        *value = reinterpret_cast<Picture*>(picture.dispatch().release());
    return S_OK;
} catch (...) {
    return fail();
}

HRESULT Control::putref_Picture(Picture* value) noexcept try {
    shaper_.setPicture(runtime::Picture::fromObject(value));
    dirty_ = true;
    return S_OK;
} catch (...) {
    return fail();
}

HRESULT Control::Load(Picture* picture) noexcept try {
    shaper_.load(runtime::Picture::fromObject(picture));
    return S_OK;
} catch (...) {
    return fail();
}

HRESULT Control::Restore() noexcept try {
    shaper_.restore();
    return S_OK;
} catch (...) {
    return fail();
}

HRESULT Control::Move() noexcept try {
    shaper_.move();
    return S_OK;
} catch (...) {
    return fail();
}

HRESULT Control::Refresh() noexcept try {
    shaper_.refresh();
    return S_OK;
} catch (...) {
    return fail();
}

HRESULT Control::About() noexcept try {
    about::showAboutDialog(moduleHandle());
    return S_OK;
} catch (...) {
    return fail();
}

HRESULT Control::get_MaskColor(OLE_COLOR* value) noexcept {
    if (!value)
        return E_POINTER;
    *value = shaper_.maskColor();
    return S_OK;
}

HRESULT Control::put_MaskColor(OLE_COLOR value) noexcept {
    shaper_.setMaskColor(value);
    dirty_ = true;
    return S_OK;
}

HRESULT Control::get_ShowPicture(VARIANT_BOOL* value) noexcept {
    if (!value)
        return E_POINTER;
    *value = shaper_.showPicture();
    return S_OK;
}

HRESULT Control::put_ShowPicture(VARIANT_BOOL value) noexcept {
    shaper_.setShowPicture(value);
    dirty_ = true;
    return S_OK;
}

HRESULT Control::get_AutomaticMaskColor(VARIANT_BOOL* value) noexcept {
    if (!value)
        return E_POINTER;
    *value = shaper_.automaticMaskColor();
    return S_OK;
}

HRESULT Control::put_AutomaticMaskColor(VARIANT_BOOL value) noexcept {
    shaper_.setAutomaticMaskColor(value);
    dirty_ = true;
    return S_OK;
}

// ---- errors, class information, connection points ----

HRESULT Control::InterfaceSupportsErrorInfo(REFIID iid) noexcept {
    return iid == IID__Cutshape || iid == IID_IDispatch ||
                   currentIdentifier(iid, kDefaultInterfaceMap) == IID__Cutshape
               ? S_OK
               : S_FALSE;
}

HRESULT Control::GetClassInfo(ITypeInfo** info) noexcept try {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    win::ComPtr<ITypeLib> library;
    UINT index = 0;
    win::check(typeInfo().GetContainingTypeLib(library.put(), &index), L"Type library");
    return library->GetTypeInfoOfGuid(CLSID_Cutshape, info);
} catch (...) {
    return fail(IID_IProvideClassInfo);
}

HRESULT Control::GetGUID(DWORD kind, GUID* guid) noexcept {
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___Cutshape;
    return S_OK;
}

HRESULT Control::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept {
    return enumerateConnectionPoint(&events_, points);
}

HRESULT Control::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept {
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (currentIdentifier(iid, kEventInterfaceMap) != DIID___Cutshape)
        return CONNECT_E_NOCONNECTION;
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

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
        createWindow(host, rect);
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
    return fail(IID_IOleObject);
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
    resize(twipsFromHimetric(size->cx), twipsFromHimetric(size->cy));
    return S_OK;
} catch (...) {
    return fail(IID_IOleObject);
}

HRESULT Control::GetExtent(DWORD aspect, SIZEL* size) noexcept {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = SIZEL{himetricFromTwips(widthTwips_), himetricFromTwips(heightTwips_)};
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
    return fail(IID_IViewObject);
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

// ---- persistence ----

HRESULT Control::GetClassID(CLSID* clsid) noexcept {
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_Cutshape;
    return S_OK;
}

HRESULT Control::IsDirty() noexcept {
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT Control::Load(LPSTREAM stream) noexcept try {
    if (!stream)
        return E_POINTER;
    readStream(*stream, shaper_);
    dirty_ = false;
    return S_OK;
} catch (...) {
    return fail(IID_IPersistStreamInit);
}

HRESULT Control::Save(LPSTREAM stream, BOOL clearDirty) noexcept try {
    if (!stream)
        return E_POINTER;
    writeStream(*stream, shaper_);
    if (clearDirty)
        dirty_ = false;
    return S_OK;
} catch (...) {
    return fail(IID_IPersistStreamInit);
}

HRESULT Control::GetSizeMax(ULARGE_INTEGER* size) noexcept {
    if (!size)
        return E_POINTER;
    size->QuadPart = 0;
    return E_NOTIMPL; // the picture's size is not known before it is saved
}

// A new instance keeps its zeroed state: no default is applied.
HRESULT Control::InitNew() noexcept {
    return S_OK;
}

HRESULT Control::Load(IPropertyBag* bag, IErrorLog* log) noexcept try {
    if (!bag)
        return E_POINTER;
    readProperties(*bag, log, shaper_);
    dirty_ = false;
    return S_OK;
} catch (...) {
    return fail(IID_IPersistPropertyBag);
}

HRESULT Control::Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) noexcept try {
    if (!bag)
        return E_POINTER;
    writeProperties(*bag, shaper_, saveAll != FALSE);
    if (clearDirty)
        dirty_ = false;
    return S_OK;
} catch (...) {
    return fail(IID_IPersistPropertyBag);
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
    const SIZE kept = shaper_.resizedTwips();
    widthTwips_ = static_cast<float>(kept.cx);
    heightTwips_ = static_cast<float>(kept.cy);
}

void Control::createWindow(HWND parent, const RECT& position) {
    static const bool registered = [] {
        WNDCLASSW description{};
        description.hInstance = moduleHandle();
        description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        description.lpszClassName = kWindowClass;
        win::registerHandlerClass(description);
        return true;
    }();
    (void)registered;
    const bool designing = !userMode();
    win::WindowPlacement placement;
    placement.style = WS_CHILD | WS_CLIPSIBLINGS | (designing ? WS_VISIBLE : 0);
    placement.x = position.left;
    placement.y = position.top;
    placement.width = position.right - position.left;
    placement.height = position.bottom - position.top;
    placement.parent = parent;
    window_ = win::createHandlerWindow(*this, kWindowClass, moduleHandle(), L"", placement,
                                       L"Creating the control's window");
}

void Control::paintFace(HDC dc, const RECT& bounds) {
    // The face: a framed square with a cut-out corner, then the Paint event.
    const win::UniqueBrush face(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    const win::UniqueBrush figure(::CreateSolidBrush(RGB(30, 90, 200)));
    ::FillRect(dc, &bounds, face.get());
    const int inset = (bounds.right - bounds.left) / 6;
    const RECT inner{bounds.left + inset, bounds.top + inset, bounds.right - inset,
                     bounds.bottom - inset};
    ::FillRect(dc, &inner, figure.get());
    const RECT cut{inner.left, inner.top, (inner.left + inner.right) / 2,
                   (inner.top + inner.bottom) / 2};
    ::FillRect(dc, &cut, face.get());
    ::DrawEdge(dc, const_cast<RECT*>(&bounds), EDGE_RAISED, BF_RECT);
    shaper_.makeHostBorderless();
}

LRESULT Control::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return ::DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    RECT client{};
    ::GetClientRect(window, &client);
    try {
        paintFace(dc, client);
    } catch (...) {
        // A form that refuses the border change keeps its border; the face is drawn.
    }
    ::EndPaint(window, &paint);
    return 0;
}

} // namespace cutshape::control
