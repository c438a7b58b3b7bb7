#pragma once
// The checks a dispatch call's parameter block passes before anything reads it. Callers
// may be hostile or buggy: counts without arrays, by-reference arguments that point
// nowhere, or by-reference variants that point to further references (even to
// themselves). Such a call is answered with an error, never followed.

#include <oaidl.h>

namespace cutshape::control {

// S_OK for a well-formed block; E_INVALIDARG when a count has no array behind it or names
// more arguments than there are; DISP_E_TYPEMISMATCH, with the argument's position in
// `argumentError`, for a by-reference argument that points nowhere or to another reference.
HRESULT checkParameters(const DISPPARAMS& parameters, UINT* argumentError) noexcept;

// The value an argument of a checked block stands for: the variant a by-reference variant
// points to, else the argument itself. One level only: the check refused any deeper one.
const VARIANT& dereferenced(const VARIANT& argument) noexcept;

} // namespace cutshape::control
