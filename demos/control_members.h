#pragma once
// Dispatch identifiers of the Cutshape control's members that the programs call.

#include <oaidl.h>

namespace cutshape::demos {

constexpr DISPID kLoad = 0x60030007;
constexpr DISPID kRestore = 0x60030008;
constexpr DISPID kMove = 0x6003000B;
constexpr DISPID kPicture = 0x68030000;

constexpr int kLeftButton = 1;

} // namespace cutshape::demos
