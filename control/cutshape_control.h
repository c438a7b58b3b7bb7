#pragma once
// The Cutshape control object: the dual automation interface, the OLE control and
// persistence interfaces containers need, and a connection point for its (empty) event
// interface. The shaping itself lives in Shaper; this class is the COM boundary, where
// every error becomes an HRESULT with error information and nothing is thrown out.

#include "control/control_face.h"
#include "control/control_properties.h"
#include "control/dispatch_arguments.h"
#include "control/event_connection.h"
#include "control/interfaces.h"
#include "control/shaping.h"
#include "win/com_object.h"
#include "win/handles.h"
#include "win/message_window.h"

#include <optional>

namespace cutshape::control {

class Control final
    : public win::ComObject<Control, _Cutshape, win::Via<IDispatch, _Cutshape>, ISupportErrorInfo,
                            IProvideClassInfo2, win::Via<IProvideClassInfo, IProvideClassInfo2>,
                            IConnectionPointContainer, IOleObject, IOleInPlaceObject,
                            win::Via<IOleWindow, IOleInPlaceObject>, IOleControl, IViewObject2,
                            win::Via<IViewObject, IViewObject2>, IPersistStreamInit,
                            win::Via<IPersist, IPersistStreamInit>, IPersistPropertyBag>,
      private win::MessageHandler {
public:
    Control();
    ~Control() override;

    // The earlier identifier of the default interface answers with the current one.
    void* findOtherInterface(REFIID iid) noexcept;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) noexcept override;

    // _Cutshape
    HRESULT STDMETHODCALLTYPE get_Picture(Picture** value) noexcept override;
    HRESULT STDMETHODCALLTYPE putref_Picture(Picture* value) noexcept override;
    HRESULT STDMETHODCALLTYPE Load(Picture* picture) noexcept override;
    HRESULT STDMETHODCALLTYPE Restore() noexcept override;
    HRESULT STDMETHODCALLTYPE Move() noexcept override;
    HRESULT STDMETHODCALLTYPE Refresh() noexcept override;
    HRESULT STDMETHODCALLTYPE About() noexcept override;
    HRESULT STDMETHODCALLTYPE get_MaskColor(OLE_COLOR* value) noexcept override;
    HRESULT STDMETHODCALLTYPE put_MaskColor(OLE_COLOR value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_ShowPicture(VARIANT_BOOL* value) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ShowPicture(VARIANT_BOOL value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_AutomaticMaskColor(VARIANT_BOOL* value) noexcept override;
    HRESULT STDMETHODCALLTYPE put_AutomaticMaskColor(VARIANT_BOOL value) noexcept override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) noexcept override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) noexcept override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE
    EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid,
                                                  IConnectionPoint** point) noexcept override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) noexcept override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) noexcept override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) noexcept override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) noexcept override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) noexcept override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT position) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) noexcept override;
    HRESULT STDMETHODCALLTYPE Update() noexcept override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() noexcept override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) noexcept override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) noexcept override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) noexcept override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) noexcept override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) noexcept override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) noexcept override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) noexcept override;

    // IOleWindow, IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() noexcept override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() noexcept override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) noexcept override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() noexcept override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) noexcept override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) noexcept override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) noexcept override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) noexcept override;

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) noexcept override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** colors) noexcept override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD* freeze) noexcept override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) noexcept override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags,
                                        IAdviseSink* sink) noexcept override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags,
                                        IAdviseSink** sink) noexcept override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                        LPSIZEL size) noexcept override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) noexcept override;
    HRESULT STDMETHODCALLTYPE IsDirty() noexcept override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) noexcept override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) noexcept override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) noexcept override;
    HRESULT STDMETHODCALLTYPE InitNew() noexcept override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) noexcept override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty,
                                   BOOL saveAll) noexcept override;

    // The control's size in twips (its own Width and Height).
    float widthTwips() const noexcept { return widthTwips_; }
    float heightTwips() const noexcept { return heightTwips_; }
    const Shaper& shaper() const noexcept { return shaper_; }
    const ControlProperties& properties() const noexcept { return properties_; }

private:
    HRESULT reportException(REFIID iid = IID__Cutshape) noexcept;
    const ArgumentCounts& argumentCounts();
    enum class PictureUse { load, assign };
    HRESULT invokeWithPicture(PictureUse use, DISPPARAMS* parameters, EXCEPINFO* exception,
                              UINT* argumentError) noexcept;
    ITypeInfo& typeInfo();
    bool userMode() const;
    void resize(float widthTwips, float heightTwips);
    void paintFace(HDC dc, const RECT& bounds);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The host form of the control's site; lengths it converts itself go by `at`.
    std::unique_ptr<HostForm> hostForm(const runtime::Resolution& at);

    // Pictures given to a bare window as its background; taken off when the control goes.
    WindowPictures windowPictures_;
    ControlProperties properties_;
    Shaper shaper_;
    PinnedSize pinnedSize_;
    EventConnectionPoint events_;
    win::ComPtr<IOleClientSite> site_;
    win::ComPtr<IOleInPlaceSite> inPlaceSite_;
    win::ComPtr<IOleAdviseHolder> adviseHolder_;
    win::ComPtr<IAdviseSink> viewSink_;
    win::ComPtr<ITypeInfo> typeInfo_;
    std::optional<ArgumentCounts> argumentCounts_; // read once from typeInfo_
    win::UniqueWindow window_;
    float widthTwips_ = kDesignSizeTwips;
    float heightTwips_ = kDesignSizeTwips;
    bool dirty_ = false;
};

} // namespace cutshape::control
