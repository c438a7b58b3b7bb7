#include "control/server.h"

#include "control/compatibility_map.h"
#include "control/cutshape_control.h"
#include "win/com_error.h"
#include "win/com_object.h"
#include "win/module.h"

#include <cwchar>

namespace cutshape::control {
namespace {

// The one class factory. It lives as long as the module and does not count as an object:
// only the locks it is given keep the library loaded.
class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) noexcept override {
        if (!result)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *result = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** result) noexcept override {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        try {
            const win::ComPtr<Control> control = win::makeCom<Control>();
            return control->QueryInterface(iid, result);
        } catch (...) {
            return win::toComError(IID_IClassFactory, kControlName);
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
        if (lock)
            win::ModuleLock::acquire();
        else
            win::ModuleLock::release();
        return S_OK;
    }
};

ClassFactory theFactory;

} // namespace

HMODULE moduleHandle() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&moduleHandle), &module);
    return module;
}

std::wstring modulePath() {
    return win::moduleFileName(moduleHandle());
}

HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** result) noexcept {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (clsid != CLSID_Cutshape)
        return CLASS_E_CLASSNOTAVAILABLE;
    return theFactory.QueryInterface(iid, result);
}

HRESULT canUnloadNow() noexcept {
    return win::ModuleLock::count() == 0 ? S_OK : S_FALSE;
}

namespace {

using CompatibilityMap = std::vector<std::pair<GUID, GUID>>;

CompatibilityMap readOrEmpty(const wchar_t* map) noexcept {
    try {
        return readCompatibilityMap(moduleHandle(), map);
    } catch (...) {
        win::reportCaught(L"reading the library's compatibility map");
        return {};
    }
}

const CompatibilityMap& compatibilityMap(const wchar_t* map) noexcept {
    static const CompatibilityMap defaultInterface = readOrEmpty(kDefaultInterfaceMap);
    static const CompatibilityMap eventInterface = readOrEmpty(kEventInterfaceMap);
    // By name: each module may hold its own copy of the names.
    return std::wcscmp(map, kEventInterfaceMap) == 0 ? eventInterface : defaultInterface;
}

} // namespace

GUID currentIdentifier(REFIID iid, const wchar_t* map) noexcept {
    for (const auto& [earlier, current] : compatibilityMap(map))
        if (earlier == iid)
            return current;
    return iid;
}

} // namespace cutshape::control
