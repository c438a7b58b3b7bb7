#pragma once
// Dispatch identifiers of the Cutshape control's members that the programs call, as the
// control's IDL declares them.

#include "cutshape_ids.h"

namespace cutshape::demos {

using dispid::kLoad;
using dispid::kMove;
using dispid::kPicture;
using dispid::kRestore;

constexpr int kLeftButton = 1;

} // namespace cutshape::demos
