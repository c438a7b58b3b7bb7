#include "control/dispatch_parameters.h"

namespace cutshape::control {
namespace {

bool isReference(const VARIANT& value) noexcept {
    return (value.vt & VT_BYREF) != 0;
}

bool isWellFormed(const VARIANT& argument) noexcept {
    if (!isReference(argument))
        return true;
    if (!argument.byref)
        return false;
    // A variant behind a reference is taken as it is: a further reference is refused, so
    // that no chain (or cycle) of references is ever followed.
    return argument.vt != (VT_BYREF | VT_VARIANT) || !isReference(*argument.pvarVal);
}

} // namespace

HRESULT checkParameters(const DISPPARAMS& parameters, UINT* argumentError) noexcept {
    if ((parameters.cArgs > 0 && !parameters.rgvarg) ||
        (parameters.cNamedArgs > 0 && !parameters.rgdispidNamedArgs) ||
        parameters.cNamedArgs > parameters.cArgs)
        return E_INVALIDARG;
    for (UINT index = 0; index < parameters.cArgs; ++index) {
        if (!isWellFormed(parameters.rgvarg[index])) {
            if (argumentError)
                *argumentError = index;
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

const VARIANT& dereferenced(const VARIANT& argument) noexcept {
    return argument.vt == (VT_BYREF | VT_VARIANT) ? *argument.pvarVal : argument;
}

} // namespace cutshape::control
