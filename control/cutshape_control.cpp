#include "control/cutshape_control.h"

#include "control/about/about_dialog.h"
#include "control/compatibility_map.h"
#include "control/control_face.h"
#include "control/dispatch_arguments.h"
#include "control/persistence.h"
#include "control/registration_data.h"
#include "control/server.h"
#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "win/com_error.h"
#include "win/window_calls.h"

#include <olectl.h>
#include <utility>

namespace cutshape::control {

Control::Control()
    : shaper_(properties_, [this](const runtime::Resolution& at) { return hostForm(at); }),
      events_(*identity(), *static_cast<IConnectionPointContainer*>(this)) {
    // Initialize: the control records its creation size, the one it keeps from now on.
    pinnedSize_.initialize(widthTwips_, heightTwips_);
}

std::unique_ptr<HostForm> Control::hostForm(const runtime::Resolution& at) {
    return hostFormOf(site_.get(), windowPictures_, at);
}

Control::~Control() {
    // The window outlives the control's members by a moment: its last messages go nowhere.
    if (window_)
        win::detachHandler(window_.get());
}

HRESULT Control::reportException(REFIID iid) noexcept {
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
    return reportException(IID_IDispatch);
}

HRESULT Control::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept
    try {
    return ::DispGetIDsOfNames(&typeInfo(), names, count, ids);
} catch (...) {
    return reportException(IID_IDispatch);
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
        return invokeWithPicture(PictureUse::load, parameters, exception, argumentError);
    // A script's "Picture = null" clears the picture, as assigning Nothing does.
    if (id == dispid::kPicture && putsNothing(flags, *parameters))
        return putref_Picture(nullptr);
    // So is an object assigned to Picture: Wine's dispatcher keeps a reference to an object
    // that is not a picture when it refuses it.
    if (id == dispid::kPicture && assignsOneValue(flags, *parameters))
        return invokeWithPicture(PictureUse::assign, parameters, exception, argumentError);
    if (const HRESULT count = argumentCounts().check(id, flags, *parameters); FAILED(count))
        return count;
    return ::DispInvoke(static_cast<_Cutshape*>(this), &typeInfo(), id, flags, parameters, result,
                        exception, argumentError);
} catch (...) {
    return reportException(IID_IDispatch);
}

const ArgumentCounts& Control::argumentCounts() {
    if (!argumentCounts_)
        argumentCounts_.emplace(typeInfo());
    return *argumentCounts_;
}

HRESULT Control::invokeWithPicture(PictureUse use, DISPPARAMS* parameters, EXCEPINFO* exception,
                                   UINT* argumentError) noexcept {
    if (use == PictureUse::load && parameters->cNamedArgs > 0)
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
        if (use == PictureUse::load) {
            shaper_.load(picture);
        } else {
            properties_.setPicture(std::move(picture));
            dirty_ = true;
        }
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
    const runtime::Picture& picture = properties_.picture();
    if (!picture.isNothing())
        *value = reinterpret_cast<Picture*>(picture.dispatch().release());
    return S_OK;
} catch (...) {
    return reportException();
}

HRESULT Control::putref_Picture(Picture* value) noexcept try {
    properties_.setPicture(runtime::Picture::fromObject(value));
    dirty_ = true;
    return S_OK;
} catch (...) {
    return reportException();
}

HRESULT Control::Load(Picture* picture) noexcept try {
    shaper_.load(runtime::Picture::fromObject(picture));
    return S_OK;
} catch (...) {
    return reportException();
}

HRESULT Control::Restore() noexcept try {
    shaper_.restore();
    return S_OK;
} catch (...) {
    return reportException();
}

HRESULT Control::Move() noexcept try {
    win::dragByCaption(hostForm(runtime::screenResolution())->hwnd());
    return S_OK;
} catch (...) {
    return reportException();
}

HRESULT Control::Refresh() noexcept try {
    hostForm(runtime::screenResolution())->refresh();
    return S_OK;
} catch (...) {
    return reportException();
}

HRESULT Control::About() noexcept try {
    about::showAboutDialog(moduleHandle());
    return S_OK;
} catch (...) {
    return reportException();
}

HRESULT Control::get_MaskColor(OLE_COLOR* value) noexcept {
    if (!value)
        return E_POINTER;
    *value = properties_.maskColor();
    return S_OK;
}

HRESULT Control::put_MaskColor(OLE_COLOR value) noexcept {
    properties_.setMaskColor(value);
    dirty_ = true;
    return S_OK;
}

HRESULT Control::get_ShowPicture(VARIANT_BOOL* value) noexcept {
    if (!value)
        return E_POINTER;
    *value = properties_.showPicture();
    return S_OK;
}

HRESULT Control::put_ShowPicture(VARIANT_BOOL value) noexcept {
    properties_.setShowPicture(value);
    dirty_ = true;
    return S_OK;
}

HRESULT Control::get_AutomaticMaskColor(VARIANT_BOOL* value) noexcept {
    if (!value)
        return E_POINTER;
    *value = properties_.automaticMaskColor();
    return S_OK;
}

HRESULT Control::put_AutomaticMaskColor(VARIANT_BOOL value) noexcept {
    properties_.setAutomaticMaskColor(value);
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
    return reportException(IID_IProvideClassInfo);
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
    readStream(*stream, properties_);
    dirty_ = false;
    return S_OK;
} catch (...) {
    return reportException(IID_IPersistStreamInit);
}

HRESULT Control::Save(LPSTREAM stream, BOOL clearDirty) noexcept try {
    if (!stream)
        return E_POINTER;
    writeStream(*stream, properties_);
    if (clearDirty)
        dirty_ = false;
    return S_OK;
} catch (...) {
    return reportException(IID_IPersistStreamInit);
}

HRESULT Control::GetSizeMax(ULARGE_INTEGER* size) noexcept {
    if (!size)
        return E_POINTER;
    size->QuadPart = 0;
    return E_NOTIMPL; // the picture's size is not known before it is saved
}

// A new instance takes each stored property's InitNew value, not its key default.
HRESULT Control::InitNew() noexcept try {
    initNewProperties(properties_);
    return S_OK;
} catch (...) {
    return reportException(IID_IPersistStreamInit);
}

HRESULT Control::Load(IPropertyBag* bag, IErrorLog* log) noexcept try {
    if (!bag)
        return E_POINTER;
    readProperties(*bag, log, properties_);
    dirty_ = false;
    return S_OK;
} catch (...) {
    return reportException(IID_IPersistPropertyBag);
}

HRESULT Control::Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) noexcept try {
    if (!bag)
        return E_POINTER;
    writeProperties(*bag, properties_, saveAll != FALSE);
    if (clearDirty)
        dirty_ = false;
    return S_OK;
} catch (...) {
    return reportException(IID_IPersistPropertyBag);
}

} // namespace cutshape::control
