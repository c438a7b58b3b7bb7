#include "control/compatibility_map.h"

#include "win/error.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace cutshape::control {
namespace {

constexpr std::size_t kPairSize = 2 * sizeof(GUID);

// A resource type is a string or, in the low word of the pointer, a number.
std::wstring resourceTypeText(const wchar_t* resourceName) {
    if (IS_INTRESOURCE(resourceName))
        return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(resourceName));
    return resourceName;
}

[[noreturn]] void throwInvalid(const wchar_t* resourceName, const wchar_t* problem) {
    throw win::Error(HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
                     L"Compatibility map " + resourceTypeText(resourceName) + L": " + problem);
}

} // namespace

std::vector<std::pair<GUID, GUID>> readCompatibilityMap(HMODULE module,
                                                        const wchar_t* resourceName) {
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), resourceName);
    if (!resource)
        win::throwLastError(L"FindResourceW");
    // Resources live as long as the module; they need no release.
    HGLOBAL loaded = ::LoadResource(module, resource);
    if (!loaded)
        win::throwLastError(L"LoadResource");
    const auto* bytes = static_cast<const unsigned char*>(::LockResource(loaded));
    const std::size_t size = ::SizeofResource(module, resource);
    if (!bytes || size < sizeof(std::uint32_t))
        throwInvalid(resourceName, L"too short for its byte count");

    const std::uint32_t count =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    if (count % kPairSize != 0 || count != size - sizeof(std::uint32_t))
        throwInvalid(resourceName, L"byte count does not match the resource");

    std::vector<std::pair<GUID, GUID>> pairs;
    for (std::size_t at = sizeof(std::uint32_t); at < size; at += kPairSize) {
        std::pair<GUID, GUID> pair;
        std::memcpy(&pair.first, bytes + at, sizeof(GUID));
        std::memcpy(&pair.second, bytes + at + sizeof(GUID), sizeof(GUID));
        pairs.push_back(pair);
    }
    return pairs;
}

} // namespace cutshape::control
