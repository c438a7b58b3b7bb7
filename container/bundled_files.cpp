#include "container/bundled_files.h"

#include "runtime/runtime_errors.h"
#include "win/text.h"

#include <string>
#include <windows.h>

namespace cutshape::container {

std::span<const std::uint8_t> bundledFile(std::string_view name) {
    const std::wstring resourceName = win::widen(name);
    const HMODULE program = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(program, resourceName.c_str(), MAKEINTRESOURCEW(10));
    if (!resource)
        throw runtime::fileNotFoundError(L"bundled file " + resourceName);
    // Resources stay mapped for the program's lifetime; there is nothing to free.
    const HGLOBAL loaded = ::LoadResource(program, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        win::throwLastError((L"Loading bundled file " + resourceName).c_str());
    return {static_cast<const std::uint8_t*>(bytes), ::SizeofResource(program, resource)};
}

} // namespace cutshape::container
