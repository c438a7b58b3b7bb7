#include "control/event_connection.h"

#include "control/interfaces.h"
#include "win/com_object.h"

namespace cutshape::control {

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** result) noexcept {
    if (!result)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *result = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) noexcept {
    if (!iid)
        return E_POINTER;
    *iid = DIID___Cutshape;
    return S_OK;
}

HRESULT
EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) noexcept {
    if (!container)
        return E_POINTER;
    *container = &container_;
    container_.AddRef();
    return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) noexcept {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    // Any sink will do: it is kept until unadvised and never called.
    try {
        sinks_.emplace(nextCookie_, win::ComPtr<IUnknown>(sink));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) noexcept {
    return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept {
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

namespace {

class ConnectionPointEnumerator final
    : public win::ComObject<ConnectionPointEnumerator, IEnumConnectionPoints> {
public:
    ConnectionPointEnumerator(IConnectionPoint* point, ULONG position) noexcept
        : point_(point), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points,
                                   ULONG* fetched) noexcept override {
        if (!points || (count > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        if (count > 0 && position_ == 0) {
            points[0] = point_.get();
            points[0]->AddRef();
            given = 1;
            position_ = 1;
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) noexcept override {
        const ULONG skipped = count > 0 && position_ == 0 ? 1 : 0;
        position_ += skipped;
        return skipped == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() noexcept override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** clone) noexcept override {
        if (!clone)
            return E_POINTER;
        try {
            *clone = win::makeCom<ConnectionPointEnumerator>(point_.get(), position_).release();
            return S_OK;
        } catch (...) {
            *clone = nullptr;
            return E_OUTOFMEMORY;
        }
    }

private:
    win::ComPtr<IConnectionPoint> point_;
    ULONG position_;
};

} // namespace

HRESULT enumerateConnectionPoint(IConnectionPoint* point, IEnumConnectionPoints** result) noexcept {
    if (!result)
        return E_POINTER;
    try {
        *result = win::makeCom<ConnectionPointEnumerator>(point, 0u).release();
        return S_OK;
    } catch (...) {
        *result = nullptr;
        return E_OUTOFMEMORY;
    }
}

} // namespace cutshape::control
