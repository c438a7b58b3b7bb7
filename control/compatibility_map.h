#pragma once
// The compatibility maps stored as resources of the library: pairs of an earlier interface
// identifier and the current one, so that requests made with an identifier that an earlier
// build of the control used are answered with the current interface.

#include <utility>
#include <vector>
#include <windows.h>

namespace cutshape::control {

// Resource types of the maps (number 1 of each).
inline constexpr const wchar_t* kDefaultInterfaceMap = L"_IID_CUTSHAPE";
inline constexpr const wchar_t* kEventInterfaceMap = L"_SRCIID_CUTSHAPE";

// Reads map number 1 of type `resourceName` from `module`: a 32-bit little-endian byte
// count, then that many bytes of (earlier, current) GUID pairs. Throws win::Error when the
// resource is missing or its byte count does not match its size.
std::vector<std::pair<GUID, GUID>> readCompatibilityMap(HMODULE module,
                                                        const wchar_t* resourceName);

} // namespace cutshape::control
