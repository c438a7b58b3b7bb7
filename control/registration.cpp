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

win::UniqueRegistryKey createKey(const std::wstring& path) {
    win::UniqueRegistryKey key;
    checkStatus(::RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(), nullptr),
                L"RegCreateKeyExW");
    return key;
}

// Creates `path` under HKEY_CLASSES_ROOT and sets its value `name` (null: the default).
void setString(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    win::UniqueRegistryKey key = createKey(path);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    checkStatus(::RegSetValueExW(key.get(), name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()), bytes),
                L"RegSetValueExW");
}

void deleteTree(const wchar_t* path) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, path);
    if (status != ERROR_FILE_NOT_FOUND)
        checkStatus(status, L"RegDeleteTreeW");
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    const LSTATUS keyStatus = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, path);
    if (keyStatus != ERROR_FILE_NOT_FOUND)
        checkStatus(keyStatus, L"RegDeleteKeyW");
}

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
        setString(key, nullptr, earlier.name);
        setString(key + L"\\ProxyStubClsid", nullptr, earlier.marshaler);
        setString(key + L"\\ProxyStubClsid32", nullptr, earlier.marshaler);
        setString(key + L"\\TypeLib", nullptr, kLibraryId);
        setString(key + L"\\TypeLib", L"Version", kLibraryVersionKey);
    }
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
    step([] {
        const HRESULT result =
            ::UnRegisterTypeLib(kLibraryGuid, kLibraryMajor, kLibraryMinor, 0, kSysKind);
        // Already gone: TYPE_E_REGISTRYACCESS or a missing key, depending on the system.
        if (FAILED(result) && result != TYPE_E_REGISTRYACCESS &&
            result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) && result != TYPE_E_LIBNOTREGISTERED)
            throw win::Error(result, L"UnRegisterTypeLib");
    });
    for (const EarlierInterface& earlier : kEarlierInterfaces)
        step([&earlier] { deleteTree(earlier.key); });
    step([] { deleteTree(kClassKey); });
    step([] { deleteTree(kProgId); });
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
