#include "container/control_site.h"

#include "win/com_error.h"
#include "win/variant.h"

#include <cwchar>
#include <olectl.h>

namespace cutshape::container {
namespace {

constexpr DISPID kParent = 1;
constexpr DISPID kName = 2;

// The extended control: what the container adds to every control on a form. Without a
// Parent it does not know the name.
class Extender final
    : public win::ComObject<Extender, win::Implements<IDispatch, AutomationObject>> {
public:
    Extender(win::ComPtr<IDispatch> parent, std::wstring name)
        : parent_(std::move(parent)), name_(std::move(name)) {}

private:
    std::span<const DispatchMember> members() const noexcept override {
        if (parent_)
            return kWithParent;
        return kWithoutParent;
    }
    const wchar_t* sourceName() const noexcept override { return L"Extender"; }
    void invokeMember(DISPID id, DispatchCall& call) override {
        switch (id) {
        case kParent:
            if (!parent_)
                memberNotFound();
            return call.returns(parent_.get());
        case kName:
            return call.returns(std::wstring_view(name_));
        default:
            memberNotFound();
        }
    }

    static constexpr DispatchMember kWithParent[] = {{L"Parent", kParent}, {L"Name", kName}};
    static constexpr DispatchMember kWithoutParent[] = {{L"Name", kName}};

    win::ComPtr<IDispatch> parent_;
    std::wstring name_;
};

} // namespace

win::ComPtr<IDispatch> makeExtender(win::ComPtr<IDispatch> parent, std::wstring name) {
    return win::makeCom<Extender>(std::move(parent), std::move(name)).query<IDispatch>();
}

ControlSite::ControlSite(win::ComPtr<Form> form, Placement placement)
    : form_(std::move(form)), placement_(std::move(placement)) {
    if (placement_.extender)
        extender_ = placement_.extender(form_, placement_.name);
    else
        extender_ = makeExtender(win::ComPtr<IDispatch>(static_cast<IDispatch*>(form_.get())),
                                 placement_.name);
}

win::ComPtr<ControlSite> ControlSite::host(win::ComPtr<Form> form, win::ComPtr<IUnknown> control,
                                           Placement placement, IPropertyBag* stored) {
    win::ComPtr<ControlSite> site = win::makeCom<ControlSite>(std::move(form), placement);
    site->control_ = control;
    try {
        site->connect(stored);
    } catch (...) {
        // Once the control has its site they hold each other: a failed step must break
        // that cycle, or the control, its site and the form are never freed.
        site->close();
        throw;
    }
    return site;
}

void ControlSite::connect(IPropertyBag* stored) {
    const auto object = control_.query<IOleObject>();
    DWORD misc = 0;
    object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    IOleClientSite* clientSite = this;
    if (misc & OLEMISC_SETCLIENTSITEFIRST)
        win::checkWithErrorInfo([&] { return object->SetClientSite(clientSite); },
                                L"SetClientSite");

    if (stored) {
        win::checkWithErrorInfo(
            [&] { return control_.query<IPersistPropertyBag>()->Load(stored, nullptr); },
            L"Loading the control's properties");
    } else if (auto bag = control_.tryQuery<IPersistPropertyBag>()) {
        win::checkWithErrorInfo([&] { return bag->InitNew(); }, L"Initialising the control");
    } else if (auto stream = control_.tryQuery<IPersistStreamInit>()) {
        win::checkWithErrorInfo([&] { return stream->InitNew(); }, L"Initialising the control");
    }
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST))
        win::checkWithErrorInfo([&] { return object->SetClientSite(clientSite); },
                                L"SetClientSite");

    if (!placement_.userMode || !(misc & OLEMISC_INVISIBLEATRUNTIME)) {
        RECT position = placement_.positionPx;
        win::checkWithErrorInfo(
            [&] {
                return object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0,
                                      form_->hwnd(), &position);
            },
            L"Activating the control");
    }
}

win::ComPtr<IDispatch> ControlSite::control() const {
    return control_.query<IDispatch>();
}

void ControlSite::moveTo(const RECT& positionPx) noexcept {
    placement_.positionPx = positionPx;
    if (!control_)
        return;
    // An active control follows at once; an inactive one is placed there when activated.
    if (auto inPlace = control_.tryQuery<IOleInPlaceObject>())
        inPlace->SetObjectRects(&positionPx, &positionPx);
}

void ControlSite::close() noexcept {
    if (!control_)
        return;
    if (auto object = control_.tryQuery<IOleObject>()) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    control_.reset();
}

HRESULT ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT ControlSite::GetContainer(IOleContainer** container) noexcept {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT ControlSite::GetExtendedControl(IDispatch** extender) noexcept {
    if (!extender)
        return E_POINTER;
    *extender = win::ComPtr<IDispatch>(extender_).release();
    return *extender ? S_OK : E_NOTIMPL;
}

HRESULT ControlSite::GetWindow(HWND* window) noexcept {
    if (!window)
        return E_POINTER;
    *window = form_->hwnd();
    return S_OK;
}

HRESULT ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip,
                                      LPOLEINPLACEFRAMEINFO info) noexcept {
    if (frame)
        *frame = nullptr;
    if (document)
        *document = nullptr;
    if (position)
        *position = placement_.positionPx;
    if (clip)
        ::GetClientRect(form_->hwnd(), clip);
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = form_->hwnd();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

void ControlSite::invokeMember(DISPID id, DispatchCall& call) {
    if (id != DISPID_AMBIENT_USERMODE)
        memberNotFound();
    call.returns(placement_.userMode);
}

} // namespace cutshape::container
