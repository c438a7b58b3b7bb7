#include "control/registration.h"

#include "control/registration_data.h"
#include "cutshape_h.h"
#include "win/com_error.h"
#include "win/com_ptr.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/module.h"
#include "win/text.h"

#include <oleauto.h>
#include <string>
#include <string_view>

namespace cutshape::control {
namespace {

namespace data = registration;
using data::Part;

constexpr const wchar_t* kSource = L"Cutshape";

#if defined(_WIN64)
constexpr SYSKIND kSysKind = SYS_WIN64;
constexpr std::wstring_view kPlatformName = L"win64";
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
constexpr std::wstring_view kPlatformName = L"win32";
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

// Interface keys hold nothing specific to one architecture (the marshalers and the type
// library are the same), and 32-bit and 64-bit clients each read their own view: the
// earlier identifiers are written to both views, and every interface key is removed from
// both by the last unregistration. On a system without WOW64 both flags name the one view.
constexpr REGSAM kBothViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

// Where a registration goes: HKEY_CLASSES_ROOT for the machine, or the current user's
// HKEY_CURRENT_USER\Software\Classes (open while the registration runs).
struct ClassesRoot {
    HKEY key;
    bool perUser;
};

// A row's key or data with its placeholders replaced.
std::wstring expand(std::string_view text, const std::wstring& libraryPath) {
    std::wstring result;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with(data::kLibraryPath)) {
            result += libraryPath;
            at += data::kLibraryPath.size();
        } else if (text.substr(at).starts_with(data::kPlatform)) {
            result += kPlatformName;
            at += data::kPlatform.size();
        } else {
            result += static_cast<wchar_t>(text[at++]);
        }
    }
    return result;
}

void checkStatus(LSTATUS status, const wchar_t* context) {
    if (status != ERROR_SUCCESS)
        throw win::Error(HRESULT_FROM_WIN32(status), context);
}

// `view` is 0 (the process's own registry view) or KEY_WOW64_32KEY / KEY_WOW64_64KEY.
win::UniqueRegistryKey createKey(HKEY root, const std::wstring& path, REGSAM view) {
    win::UniqueRegistryKey key;
    checkStatus(::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE | view, nullptr, key.put(), nullptr),
                L"RegCreateKeyExW");
    return key;
}

void writeRow(HKEY root, const data::Row& row, const std::wstring& libraryPath, REGSAM view = 0) {
    win::UniqueRegistryKey key = createKey(root, expand(row.key, libraryPath), view);
    if (row.keyOnly)
        return;
    const std::wstring name = win::widen(row.name);
    const std::wstring value = expand(row.data, libraryPath);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    checkStatus(::RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()), bytes),
                L"RegSetValueExW");
}

void writeRows(HKEY root, Part part, const std::wstring& libraryPath, REGSAM view = 0) {
    for (const data::Row& row : data::kRows)
        if (row.part == part)
            writeRow(root, row, libraryPath, view);
}

bool isEmpty(HKEY root, const std::wstring& path, REGSAM view) {
    win::UniqueRegistryKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0;
    DWORD values = 0;
    return ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

// Removes the keys above `path` (up to, not including, the root) that are left empty.
void deleteEmptyParents(HKEY root, std::wstring path, REGSAM view) {
    for (auto separator = path.rfind(L'\\'); separator != std::wstring::npos;
         separator = path.rfind(L'\\')) {
        path.resize(separator);
        if (!isEmpty(root, path, view) ||
            ::RegDeleteKeyExW(root, path.c_str(), view, 0) != ERROR_SUCCESS)
            return;
    }
}

// Deletes `path` and everything below it; a missing key counts as deleted.
void deleteTree(HKEY root, const std::wstring& path, REGSAM view = 0) {
    win::UniqueRegistryKey key;
    const LSTATUS openStatus =
        ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WRITE | DELETE | view, key.put());
    if (openStatus == ERROR_FILE_NOT_FOUND)
        return;
    checkStatus(openStatus, L"RegOpenKeyExW");
    checkStatus(::RegDeleteTreeW(key.get(), nullptr), L"RegDeleteTreeW");
    const LSTATUS keyStatus = ::RegDeleteKeyExW(root, path.c_str(), view, 0);
    if (keyStatus != ERROR_FILE_NOT_FOUND)
        checkStatus(keyStatus, L"RegDeleteKeyExW");
}

// In the user's classes the registration also takes away the folders it leaves empty (CLSID,
// Interface, TypeLib): a user who had none before has none after. The machine's are left as
// the system keeps them.
void deleteOwnedKey(const ClassesRoot& root, const std::wstring& path, REGSAM view = 0) {
    deleteTree(root.key, path, view);
    if (root.perUser)
        deleteEmptyParents(root.key, path, view);
}

// The machine-wide type library is registered by the system's own call, which knows the
// library's description of itself. The per-user call is not used: Wine's registers for the
// whole machine, so for one user the library's rows are written from the table, as an
// installer writes them.
void registerTypeLibrary(std::wstring path) {
    win::ComPtr<ITypeLib> library;
    win::check(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), L"LoadTypeLibEx");
    std::wstring helpDirectory; // registered empty: the library has no help file
    win::check(::RegisterTypeLib(library.get(), path.data(), helpDirectory.data()),
               L"RegisterTypeLib");
}

void unregisterTypeLibrary() {
    const HRESULT result = ::UnRegisterTypeLib(LIBID_CutshapeCtrl, data::kLibraryMajor,
                                               data::kLibraryMinor, 0, kSysKind);
    // Already gone: TYPE_E_REGISTRYACCESS or a missing key, depending on the system.
    if (FAILED(result) && result != TYPE_E_REGISTRYACCESS &&
        result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) && result != TYPE_E_LIBNOTREGISTERED)
        throw win::Error(result, L"UnRegisterTypeLib");
}

void registerAll(const ClassesRoot& root, const std::wstring& path) {
    writeRows(root.key, Part::Class, path);
    writeRows(root.key, Part::ProgId, path);
    if (root.perUser) {
        writeRows(root.key, Part::TypeLibrary, path);
        writeRows(root.key, Part::TypeLibraryFile, path);
        for (const REGSAM view : kBothViews)
            writeRows(root.key, Part::Interface, path, view);
    } else {
        registerTypeLibrary(path);
    }
    for (const REGSAM view : kBothViews)
        writeRows(root.key, Part::EarlierInterface, path, view);
}

std::wstring ownedKey(Part part) {
    for (const data::OwnedKey& owned : data::kOwnedKeys)
        if (owned.part == part)
            return expand(owned.key, {});
    throw win::Error(E_UNEXPECTED, L"No owned key for a registration part");
}

// The class key is kept per registry view, but the programmatic identifier, the type
// library and the interface keys are shared by the 32- and 64-bit views. Whether the other
// architecture's build is still registered (in the same classes root) decides whether the
// shared keys may go. Asked after our own class key is gone: on a system with one view,
// "the other view" is ours.
bool otherArchitectureRegistered(HKEY root) {
    const std::wstring path = ownedKey(Part::Class) + L"\\InprocServer32";
    win::UniqueRegistryKey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | kOtherView, key.put()) ==
           ERROR_SUCCESS;
}

void unregisterAll(const ClassesRoot& root) {
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
    step([&] { deleteOwnedKey(root, ownedKey(Part::Class)); });
    if (otherArchitectureRegistered(root.key)) {
        // Only this architecture's file entry of the type library is ours alone.
        step([&] { deleteOwnedKey(root, ownedKey(Part::TypeLibraryFile)); });
    } else {
        if (root.perUser)
            step([&] { deleteOwnedKey(root, ownedKey(Part::TypeLibrary)); });
        else
            step([] { unregisterTypeLibrary(); });
        // The system removes the current interfaces from the view it knows; the other view
        // may still hold them from the other architecture's registration.
        for (const data::OwnedKey& owned : data::kOwnedKeys) {
            if (owned.part != Part::Interface && owned.part != Part::EarlierInterface &&
                owned.part != Part::ProgId)
                continue;
            for (const REGSAM view : kBothViews)
                step([&] { deleteOwnedKey(root, win::widen(owned.key), view); });
        }
    }
    if (FAILED(first))
        throw win::Error(first, L"Unregistering Cutshape.ocx");
}

// HKEY_CURRENT_USER\Software\Classes, created if the user has none yet.
win::UniqueRegistryKey openUserClasses() {
    win::UniqueRegistryKey key;
    checkStatus(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, key.put(),
                                  nullptr),
                L"RegCreateKeyExW HKEY_CURRENT_USER\\Software\\Classes");
    return key;
}

HRESULT registerIn(const ClassesRoot& root, HMODULE module) noexcept {
    try {
        registerAll(root, win::moduleFileName(module));
        return S_OK;
    } catch (...) {
        const HRESULT result = win::toComError(GUID_NULL, kSource);
        try {
            unregisterAll(root);
        } catch (...) {
            // The registration error is the one to return.
            win::reportCaught(L"undoing a failed registration");
        }
        return result;
    }
}

HRESULT unregisterIn(const ClassesRoot& root) noexcept {
    try {
        unregisterAll(root);
        return S_OK;
    } catch (...) {
        return win::toComError(GUID_NULL, kSource);
    }
}

bool isUserCommand(const wchar_t* commandLine) {
    return commandLine && ::CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) == CSTR_EQUAL;
}

} // namespace

HRESULT registerServer(HMODULE module) noexcept {
    return registerIn({HKEY_CLASSES_ROOT, false}, module);
}

HRESULT unregisterServer(HMODULE) noexcept {
    return unregisterIn({HKEY_CLASSES_ROOT, false});
}

HRESULT installServer(HMODULE module, bool install, const wchar_t* commandLine) noexcept {
    if (!commandLine || !*commandLine)
        return install ? registerServer(module) : unregisterServer(module);
    if (!isUserCommand(commandLine)) {
        win::setErrorInfo(GUID_NULL, kSource,
                          L"DllInstall knows one command line: \"user\" (register for the "
                          L"current user only).");
        return E_INVALIDARG;
    }
    win::UniqueRegistryKey userClasses;
    try {
        userClasses = openUserClasses();
    } catch (...) {
        return win::toComError(GUID_NULL, kSource);
    }
    const ClassesRoot root{userClasses.get(), true};
    return install ? registerIn(root, module) : unregisterIn(root);
}

} // namespace cutshape::control
