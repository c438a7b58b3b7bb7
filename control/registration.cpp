#include "control/registration.h"

#include "win/com_error.h"
#include "win/com_ptr.h"
#include "win/error.h"
#include "win/handles.h"

#include <oleauto.h>
#include <string>

namespace cutshape::control {
namespace {

constexpr const wchar_t* kClassKey = L"CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}";
constexpr const wchar_t* kClassId = L"{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}";
constexpr const wchar_t* kClassName = L"Cutshape";
constexpr const wchar_t* kProgId = L"CutshapeCtrl.Cutshape";
constexpr const wchar_t* kLibraryId = L"{185B4A01-BE83-4047-BDDE-79D9822AE857}";
constexpr GUID kLibraryGuid = {
    0x185B4A01, 0xBE83, 0x4047, {0xBD, 0xDE, 0x79, 0xD9, 0x82, 0x2A, 0xE8, 0x57}};
constexpr WORD kLibraryMajor = 16;
constexpr WORD kLibraryMinor = 1;
// The type library's version as its registration spells it (hexadecimal), so that the
// earlier interface identifiers point at the same registered library as the current ones.
constexpr const wchar_t* kLibraryVersionKey = L"10.1";
// The version of the type library in decimal, as containers read it from the class key.
constexpr const wchar_t* kClassVersion = L"16.1";
constexpr int kToolboxBitmap = 30000;
// OLEMISC_SETCLIENTSITEFIRST | INVISIBLEATRUNTIME | ACTIVATEWHENVISIBLE | INSIDEOUT |
// CANTLINKINSIDE | RECOMPOSEONRESIZE.
constexpr const wchar_t* kMiscStatus = L"132497";
// Marshalers as RegisterTypeLib chooses them for the current interfaces: the automation
// marshaler for a dual interface, the dispatch marshaler for a pure dispinterface.
constexpr const wchar_t* kAutomationMarshaler = L"{00020424-0000-0000-C000-000000000046}";
constexpr const wchar_t* kDispatchMarshaler = L"{00020420-0000-0000-C000-000000000046}";

#if defined(_WIN64)
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

// Earlier identifiers of the default and event interfaces, registered like the current ones
// so that marshaling a request made with them finds the library.
struct EarlierInterface {
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* marshaler;
};
constexpr const wchar_t* kCurrentInterfaceKeys[] = {
    L"Interface\\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}",
    L"Interface\\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}",
};
constexpr EarlierInterface kEarlierInterfaces[] = {
    {L"Interface\\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}", L"_Cutshape", kAutomationMarshaler},
    {L"Interface\\{21B76C49-EA1B-4002-9103-23C901FEC2D9}", L"__Cutshape", kDispatchMarshaler},
};

std::wstring modulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            win::throwLastError(L"GetModuleFileNameW");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void checkStatus(LSTATUS status, const wchar_t* context) {
    if (status != ERROR_SUCCESS)
        throw win::Error(HRESULT_FROM_WIN32(status), context);
}

// `view` is 0 (the process's own registry view) or KEY_WOW64_32KEY / KEY_WOW64_64KEY.
win::UniqueRegistryKey createKey(const std::wstring& path, REGSAM view = 0) {
    win::UniqueRegistryKey key;
    checkStatus(::RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE | view, nullptr, key.put(),
                                  nullptr),
                L"RegCreateKeyExW");
    return key;
}

// Creates `path` under HKEY_CLASSES_ROOT and sets its value `name` (null: the default).
void setString(const std::wstring& path, const wchar_t* name, const std::wstring& value,
               REGSAM view = 0) {
    win::UniqueRegistryKey key = createKey(path, view);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    checkStatus(::RegSetValueExW(key.get(), name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()), bytes),
                L"RegSetValueExW");
}

// Deletes `path` and everything below it; a missing key counts as deleted.
void deleteTree(const wchar_t* path, REGSAM view = 0) {
    win::UniqueRegistryKey key;
    const LSTATUS openStatus = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0,
                                               KEY_READ | KEY_WRITE | DELETE | view, key.put());
    if (openStatus == ERROR_FILE_NOT_FOUND)
        return;
    checkStatus(openStatus, L"RegOpenKeyExW");
    checkStatus(::RegDeleteTreeW(key.get(), nullptr), L"RegDeleteTreeW");
    const LSTATUS keyStatus = ::RegDeleteKeyExW(HKEY_CLASSES_ROOT, path, view, 0);
    if (keyStatus != ERROR_FILE_NOT_FOUND)
        checkStatus(keyStatus, L"RegDeleteKeyExW");
}

// Interface keys hold nothing specific to one architecture (the marshalers and the type
// library are the same), and 32-bit and 64-bit clients each read their own view: they are
// written to both views, and removed from both by the last unregistration. On a system
// without WOW64 both flags name the one view.
constexpr REGSAM kBothViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

void registerClass(const std::wstring& path) {
    const std::wstring classKey = kClassKey;
    setString(classKey, nullptr, kClassName);
    setString(classKey + L"\\InprocServer32", nullptr, path);
    setString(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    setString(classKey + L"\\ProgID", nullptr, kProgId);
    createKey(classKey + L"\\Control");
    setString(classKey + L"\\ToolboxBitmap32", nullptr,
              path + L", " + std::to_wstring(kToolboxBitmap));
    setString(classKey + L"\\MiscStatus", nullptr, L"0");
    setString(classKey + L"\\MiscStatus\\1", nullptr, kMiscStatus);
    setString(classKey + L"\\TypeLib", nullptr, kLibraryId);
    setString(classKey + L"\\Version", nullptr, kClassVersion);

    setString(kProgId, nullptr, kClassName);
    setString(std::wstring(kProgId) + L"\\CLSID", nullptr, kClassId);
}

void registerTypeLibrary(std::wstring path) {
    win::ComPtr<ITypeLib> library;
    win::check(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), L"LoadTypeLibEx");
    std::wstring helpDirectory; // registered empty: the library has no help file
    win::check(::RegisterTypeLib(library.get(), path.data(), helpDirectory.data()),
               L"RegisterTypeLib");
    for (const EarlierInterface& earlier : kEarlierInterfaces) {
        const std::wstring key = earlier.key;
        for (const REGSAM view : kBothViews) {
            setString(key, nullptr, earlier.name, view);
            setString(key + L"\\ProxyStubClsid", nullptr, earlier.marshaler, view);
            setString(key + L"\\ProxyStubClsid32", nullptr, earlier.marshaler, view);
            setString(key + L"\\TypeLib", nullptr, kLibraryId, view);
            setString(key + L"\\TypeLib", L"Version", kLibraryVersionKey, view);
        }
    }
}

#if defined(_WIN64)
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
constexpr const wchar_t* kOwnLibraryKey =
    L"TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}\\10.1\\0\\win64";
#else
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
constexpr const wchar_t* kOwnLibraryKey =
    L"TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}\\10.1\\0\\win32";
#endif

// The class key is kept per registry view, but the programmatic identifier, the type
// library and the interface keys are shared by the 32- and 64-bit views. Whether the other
// architecture's build is still registered decides whether the shared keys may go. Asked
// after our own class key is gone: on a system with one view, "the other view" is ours.
bool otherArchitectureRegistered() {
    const std::wstring path = std::wstring(kClassKey) + L"\\InprocServer32";
    win::UniqueRegistryKey key;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | kOtherView, key.put()) ==
           ERROR_SUCCESS;
}

void unregisterAll() {
    // Every step runs even when an earlier one fails; the first failure is reported.
    HRESULT first = S_OK;
    auto step = [&first](auto&& action) {
        try {
            action();
        } catch (const win::Error& error) {
            if (SUCCEEDED(first))
                first = error.number();
        }
    };
    step([] { deleteTree(kClassKey); });
    if (otherArchitectureRegistered()) {
        // Only this architecture's file entry of the type library is ours alone.
        step([] { deleteTree(kOwnLibraryKey); });
    } else {
        step([] {
            const HRESULT result =
                ::UnRegisterTypeLib(kLibraryGuid, kLibraryMajor, kLibraryMinor, 0, kSysKind);
            // Already gone: TYPE_E_REGISTRYACCESS or a missing key, depending on the system.
            if (FAILED(result) && result != TYPE_E_REGISTRYACCESS &&
                result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) &&
                result != TYPE_E_LIBNOTREGISTERED)
                throw win::Error(result, L"UnRegisterTypeLib");
        });
        // The system removes the current interfaces from the view it knows; the other view
        // may still hold them from the other architecture's registration.
        for (const wchar_t* key : kCurrentInterfaceKeys)
            for (const REGSAM view : kBothViews)
                step([key, view] { deleteTree(key, view); });
        for (const EarlierInterface& earlier : kEarlierInterfaces)
            for (const REGSAM view : kBothViews)
                step([&earlier, view] { deleteTree(earlier.key, view); });
        for (const REGSAM view : kBothViews)
            step([view] { deleteTree(kProgId, view); });
    }
    if (FAILED(first))
        throw win::Error(first, L"Unregistering Cutshape.ocx");
}

} // namespace

HRESULT registerServer(HMODULE module) noexcept {
    try {
        const std::wstring path = modulePath(module);
        registerClass(path);
        registerTypeLibrary(path);
        return S_OK;
    } catch (...) {
        const HRESULT result = win::toComError(GUID_NULL, kClassName);
        try {
            unregisterAll();
        } catch (...) {
            // The registration error is the one to report.
        }
        return result;
    }
}

HRESULT unregisterServer(HMODULE) noexcept {
    try {
        unregisterAll();
        return S_OK;
    } catch (...) {
        return win::toComError(GUID_NULL, kClassName);
    }
}

} // namespace cutshape::control
