#include "control/dispatch_arguments.h"

#include "runtime/runtime_errors.h"
#include "win/variant.h"

namespace cutshape::control {
namespace {

bool meansNothing(const VARIANT& value) noexcept {
    return value.vt == VT_NULL || value.vt == VT_EMPTY;
}

} // namespace

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

runtime::Picture pictureArgument(const VARIANT& argument) {
    const VARIANT* value = &dereferenced(argument);
    if (meansNothing(*value))
        return {};
    switch (value->vt) {
    case VT_ERROR:
        if (value->scode == DISP_E_PARAMNOTFOUND)
            return {};
        break;
    case VT_DISPATCH:
        return runtime::Picture::fromObject(value->pdispVal);
    case VT_UNKNOWN:
        return runtime::Picture::fromObject(value->punkVal);
    case VT_DISPATCH | VT_BYREF:
        return runtime::Picture::fromObject(*value->ppdispVal);
    case VT_UNKNOWN | VT_BYREF:
        return runtime::Picture::fromObject(*value->ppunkVal);
    default:
        break;
    }
    throw runtime::typeMismatchError();
}

namespace {

bool putsOneValue(const DISPPARAMS& parameters) noexcept {
    return parameters.cArgs == 1 && parameters.cNamedArgs == 1 &&
           parameters.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
}

} // namespace

bool putsNothing(WORD flags, const DISPPARAMS& parameters) noexcept {
    return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && putsOneValue(parameters) &&
           meansNothing(dereferenced(parameters.rgvarg[0]));
}

bool assignsOneValue(WORD flags, const DISPPARAMS& parameters) noexcept {
    return (flags & DISPATCH_PROPERTYPUTREF) && putsOneValue(parameters);
}

ArgumentCounts::ArgumentCounts(ITypeInfo& info) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info.GetTypeAttr(&attributes)))
        return;
    const WORD functionCount = attributes->cFuncs;
    info.ReleaseTypeAttr(attributes);
    for (UINT index = 0; index < functionCount; ++index) {
        FUNCDESC* function = nullptr;
        if (FAILED(info.GetFuncDesc(index, &function)))
            continue;
        UINT expected = static_cast<UINT>(function->cParams);
        if (function->invkind == INVOKE_PROPERTYGET && expected > 0)
            --expected; // the value comes back as the result, not as an argument
        counts_.emplace(std::pair{function->memid, static_cast<WORD>(function->invkind)}, expected);
        info.ReleaseFuncDesc(function);
    }
}

HRESULT ArgumentCounts::check(DISPID id, WORD flags, const DISPPARAMS& parameters) const noexcept {
    // The first described kind the flags ask for decides, as the dispatcher picks it.
    for (const auto& [member, expected] : counts_)
        if (member.first == id && (flags & member.second))
            return parameters.cArgs <= expected ? S_OK : DISP_E_BADPARAMCOUNT;
    return S_OK;
}

} // namespace cutshape::control
