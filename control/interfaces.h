#pragma once
// The control's interfaces as the type library declares them.

#include "cutshape_h.h"

#include <ocidl.h>
#include <olectl.h>

// The type library's Picture is the OLE picture's dispatch interface.
struct Picture : public IPictureDisp {};
