#pragma once
// The arguments of calls made through the control's IDispatch::Invoke, checked before
// anything reads them. Callers may be hostile or buggy: counts without arrays, by-reference
// arguments that point nowhere, or by-reference variants that point to further references
// (even to themselves). Such a call is answered with an error, never followed.

#include "runtime/picture.h"

#include <map>
#include <oaidl.h>
#include <utility>

namespace cutshape::control {

// S_OK for a well-formed block; E_INVALIDARG when a count has no array behind it or names
// more arguments than there are; DISP_E_TYPEMISMATCH, with the argument's position in
// `argumentError`, for a by-reference argument that points nowhere or to another reference.
HRESULT checkParameters(const DISPPARAMS& parameters, UINT* argumentError) noexcept;

// The value an argument of a checked block stands for: the variant a by-reference variant
// points to, else the argument itself. One level only: the check refused any deeper one.
const VARIANT& dereferenced(const VARIANT& argument) noexcept;

// The picture argument of a checked call: missing (left out, or the error value that stands
// for a missing optional argument), null or empty gives Nothing; a picture object by
// value or by reference gives it. Throws the runtime's type-mismatch error for anything
// else.
runtime::Picture pictureArgument(const VARIANT& argument);

// Whether a checked call is a property put of one value, by value or by reference, that
// means Nothing (a script's null or empty, having no Nothing of its own).
bool putsNothing(WORD flags, const DISPPARAMS& parameters) noexcept;
// Whether the call assigns one value to a property by reference, as "Set x.P = value" does.
bool assignsOneValue(WORD flags, const DISPPARAMS& parameters) noexcept;

// How many arguments each member takes, read once from the interface's type information:
// the system's dispatcher does not always refuse surplus arguments.
class ArgumentCounts {
public:
    explicit ArgumentCounts(ITypeInfo& info);
    // DISP_E_BADPARAMCOUNT when a member the interface describes for these flags takes
    // fewer arguments than the call passes; S_OK otherwise (members it does not describe
    // are left to the dispatcher).
    HRESULT check(DISPID id, WORD flags, const DISPPARAMS& parameters) const noexcept;

private:
    // (member, invoke kind) -> arguments; a property get's value is its result, no argument.
    std::map<std::pair<DISPID, WORD>, UINT> counts_;
};

} // namespace cutshape::control
