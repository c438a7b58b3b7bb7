#pragma once
// The container side of a control on a form: the client site that gives the control its
// form (through an extended control whose Parent is the form, or whatever extended control
// the host program makes instead), the ambient UserMode, its stored properties and, when it
// is visible, in-place activation in the form's window.

#include "container/automation_object.h"
#include "container/form.h"
#include "win/com_object.h"

#include <functional>
#include <ocidl.h>
#include <string>

namespace cutshape::container {

// The extended control the site offers for the control called `name` on `form`, made once
// when the site is made; null when the site is to offer none.
using ExtenderFactory =
    std::function<win::ComPtr<IDispatch>(const win::ComPtr<Form>& form, const std::wstring& name)>;

// The site's own extended control: Name, and Parent when `parent` is not null.
win::ComPtr<IDispatch> makeExtender(win::ComPtr<IDispatch> parent, std::wstring name);

class ControlSite final
    : public win::ComObject<ControlSite, IOleClientSite, IOleControlSite, IOleInPlaceSite,
                            win::Via<IOleWindow, IOleInPlaceSite>,
                            win::Implements<IDispatch, AutomationObject>> {
public:
    struct Placement {
        std::wstring name;    // the control's Name on its form
        bool userMode = true; // false while the form is designed
        RECT positionPx{0, 0, 0, 0};
        // Makes the extended control in place of the site's own, whose Parent is the form;
        // the control is activated in the form's window either way.
        ExtenderFactory extender = {};
    };

    // Sites a newly created control on `form`: the client site first when the control asks
    // for that, then its stored properties (`stored`) or a new instance's state, then
    // in-place activation unless it is invisible at run time. Throws the control's errors.
    static win::ComPtr<ControlSite> host(win::ComPtr<Form> form, win::ComPtr<IUnknown> control,
                                         Placement placement, IPropertyBag* stored);

    ControlSite(win::ComPtr<Form> form, Placement placement);

    // The control's automation interface, for late-bound calls.
    win::ComPtr<IDispatch> control() const;
    IUnknown* controlObject() const noexcept { return control_.get(); }
    // Places the control anew on its form, in pixels of the form's client area.
    void moveTo(const RECT& positionPx) noexcept;
    // Closes the control and breaks the references between it and the site.
    void close() noexcept;
    void setUserMode(bool userMode) noexcept { placement_.userMode = userMode; }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) noexcept override;
    HRESULT STDMETHODCALLTYPE ShowObject() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override { return E_NOTIMPL; }

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** extender) noexcept override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) noexcept override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() noexcept override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) noexcept override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) noexcept override { return S_OK; }

private:
    // The ambient properties, by identifier: UserMode; nothing else is offered.
    const wchar_t* sourceName() const noexcept override { return L"ControlSite"; }
    void invokeMember(DISPID id, DispatchCall& call) override;
    // Gives the control its site, its stored properties and its activation; throws the
    // control's errors.
    void connect(IPropertyBag* stored);

    win::ComPtr<Form> form_;
    Placement placement_;
    win::ComPtr<IUnknown> control_;
    win::ComPtr<IDispatch> extender_;
};

} // namespace cutshape::container
