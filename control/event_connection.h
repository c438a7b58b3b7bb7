#pragma once
// The control's outgoing interface: containers may connect to it, and the control never
// calls them, since it raises no events. The connection point lives inside the control and
// shares its reference count.

#include "win/com_ptr.h"

#include <map>
#include <ocidl.h>

namespace cutshape::control {

class EventConnectionPoint final : public IConnectionPoint {
public:
    // `owner` is the control's identity; `container` its connection-point container.
    EventConnectionPoint(IUnknown& owner, IConnectionPointContainer& container) noexcept
        : owner_(owner), container_(container) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) noexcept override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) noexcept override;

    std::size_t connectionCount() const noexcept { return sinks_.size(); }

private:
    IUnknown& owner_;
    IConnectionPointContainer& container_;
    std::map<DWORD, win::ComPtr<IUnknown>> sinks_;
    DWORD nextCookie_ = 1;
};

// Enumerates the control's one connection point.
HRESULT enumerateConnectionPoint(IConnectionPoint* point, IEnumConnectionPoints** result) noexcept;

} // namespace cutshape::control
