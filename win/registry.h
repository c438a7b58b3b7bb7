#pragma once
// Registry reads with owned keys.

#include "win/handles.h"

#include <optional>
#include <string>
#include <vector>

namespace cutshape::win {

// Opens `path` under `root` with `access`; empty when the key cannot be opened.
std::optional<UniqueRegistryKey> openRegistryKey(HKEY root, const char* path, REGSAM access);

struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data; // exactly the bytes the system reported
};

// Reads `name` of `key` into a buffer of `capacityBytes`; empty when the read fails
// (missing value, or data larger than the buffer).
std::optional<RegistryValue> queryRegistryValue(HKEY key, const char* name, DWORD capacityBytes);

} // namespace cutshape::win
