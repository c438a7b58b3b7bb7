#include "container/library_class.h"

#include "win/error.h"

namespace cutshape::container {

HMODULE loadServerLibrary(const std::wstring& path) {
    const HMODULE library = ::LoadLibraryW(path.c_str());
    if (!library)
        win::throwLastError((L"LoadLibrary " + path).c_str());
    return library;
}

win::ComPtr<IClassFactory> classFactoryOf(HMODULE library, REFCLSID clsid) {
    // Through void (*)(): FARPROC's own type does not match the export's signature.
    const auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllGetClassObject")));
    if (!getClassObject)
        throw win::Error(E_FAIL, L"The library exports no DllGetClassObject.");
    win::ComPtr<IClassFactory> factory;
    win::check(getClassObject(clsid, IID_IClassFactory, factory.putVoid()), L"DllGetClassObject");
    return factory;
}

win::ComPtr<IUnknown> createFromLibrary(const std::wstring& path, REFCLSID clsid) {
    win::ComPtr<IUnknown> object;
    win::check(classFactoryOf(loadServerLibrary(path), clsid)
                   ->CreateInstance(nullptr, IID_IUnknown, object.putVoid()),
               L"CreateInstance");
    return object;
}

} // namespace cutshape::container
