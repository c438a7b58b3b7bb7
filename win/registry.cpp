#include "win/registry.h"

namespace cutshape::win {

std::optional<UniqueRegistryKey> openRegistryKey(HKEY root, const char* path, REGSAM access) {
    UniqueRegistryKey key;
    if (::RegOpenKeyExA(root, path, 0, access, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    return key;
}

std::optional<RegistryValue> queryRegistryValue(HKEY key, const char* name, DWORD capacityBytes) {
    RegistryValue value;
    value.data.resize(capacityBytes);
    DWORD size = capacityBytes;
    if (::RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

} // namespace cutshape::win
