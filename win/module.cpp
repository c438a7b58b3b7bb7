#include "win/module.h"

#include "win/error.h"

namespace cutshape::win {

std::wstring moduleFileName(HMODULE module) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            throwLastError(L"GetModuleFileName");
        // A name that fills the buffer may have been cut short: try again with more room.
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

std::wstring moduleString(HMODULE module, UINT id) {
    // With no buffer length, LoadStringW lends a pointer to the resource's own read-only
    // text, which is not terminated: the result is its length.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        throw Error(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
                    L"The module has no string " + std::to_wstring(id));
    return std::wstring(text, static_cast<std::size_t>(length));
}

} // namespace cutshape::win
