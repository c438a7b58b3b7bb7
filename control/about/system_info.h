#pragma once
// The About box's launcher of the system-information tool and the registry lookup it uses.

#include <string>
#include <windows.h>

namespace cutshape::control::about {

// Reads `valueName` of `keyPath` under `root` into a 1024-byte buffer and returns whether
// the read succeeded. A missing key or value, or data over 1024 bytes, give false and an
// empty `value`. The data lose their last byte only when that byte is NUL. REG_SZ data
// become `value`; for REG_DWORD the hexadecimal codes of the kept bytes, last byte first,
// each without leading zeros, are appended to `value`, and the whole reads as the decimal
// number that hexadecimal text stands for (left as "&h<text>" when it is no hexadecimal
// number); any other type leaves `value` as it came. Data of size 0 throw the runtime's
// invalid-argument error.
bool getKeyValue(HKEY root, const char* keyPath, const char* valueName, std::wstring& value);

// Starts the system-information tool named by the registry, with a normal focused window
// and without waiting for it; when it cannot be found or started, tells the user in a
// message box owned by `owner` whose caption is `title`. Never throws.
void startSysInfo(HWND owner, const std::wstring& title) noexcept;

} // namespace cutshape::control::about
