#include "control/dispatch_parameters.h"

#include "win/variant.h"

namespace cutshape::control {

HRESULT checkParameters(const DISPPARAMS& parameters, UINT* argumentError) noexcept {
    if ((parameters.cArgs > 0 && !parameters.rgvarg) ||
        (parameters.cNamedArgs > 0 && !parameters.rgdispidNamedArgs) ||
        parameters.cNamedArgs > parameters.cArgs)
        return E_INVALIDARG;
    for (UINT index = 0; index < parameters.cArgs; ++index) {
        if (!win::isSafeToFollow(parameters.rgvarg[index])) {
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
