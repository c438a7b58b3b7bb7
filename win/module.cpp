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

} // namespace cutshape::win
