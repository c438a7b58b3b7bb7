#include "tools/container_kinds/container_kind.h"

#include "win/com_error.h"
#include "win/variant.h"

#include <cwchar>
#include <iterator>

namespace cutshape::container_kinds {
namespace {

constexpr float kTwipsPerPoint = 20.0f;

struct KindName {
    ContainerKind kind;
    const wchar_t* name;
};
constexpr KindName kKindNames[] = {
    {ContainerKind::Form, L"form"},
    {ContainerKind::PointsParent, L"points"},
    {ContainerKind::FixedSize, L"fixed-size"},
    {ContainerKind::ReadOnlyWidth, L"read-only-width"},
    {ContainerKind::NoParent, L"no-parent"},
    {ContainerKind::NoExtender, L"no-extender"},
};

// The form members a stand-in names in its log.
constexpr const wchar_t* kFormMembers[] = {L"Picture", L"Width",       L"Height",       L"hwnd",
                                           L"Refresh", L"BorderStyle", L"ShowInTaskbar"};

bool isPut(WORD flags) noexcept {
    return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
}

} // namespace

std::optional<ContainerKind> containerKindNamed(std::wstring_view name) {
    for (const KindName& each : kKindNames)
        if (name == each.name)
            return each.kind;
    return std::nullopt;
}

std::wstring nameOf(ContainerKind kind) {
    for (const KindName& each : kKindNames)
        if (each.kind == kind)
            return each.name;
    return L"?";
}

Presentation presentationOf(ContainerKind kind, const win::ComPtr<container::Form>& form) {
    Presentation presentation;
    switch (kind) {
    case ContainerKind::Form:
        break;
    case ContainerKind::PointsParent:
    case ContainerKind::FixedSize:
    case ContainerKind::ReadOnlyWidth: {
        presentation.standIn = win::makeCom<ParentStandIn>(kind, form);
        const win::ComPtr<IDispatch> parent = presentation.standIn.query<IDispatch>();
        presentation.extender = [parent](const win::ComPtr<container::Form>&,
                                         const std::wstring& name) {
            return container::makeExtender(parent, name);
        };
        break;
    }
    case ContainerKind::NoParent:
        presentation.extender = [](const win::ComPtr<container::Form>&, const std::wstring& name) {
            return container::makeExtender(nullptr, name);
        };
        break;
    case ContainerKind::NoExtender:
        presentation.extender = [](const win::ComPtr<container::Form>&, const std::wstring&) {
            return win::ComPtr<IDispatch>();
        };
        break;
    }
    return presentation;
}

ParentStandIn::ParentStandIn(ContainerKind kind, win::ComPtr<container::Form> form)
    : kind_(kind), form_(std::move(form)), width_(formId(L"Width")), height_(formId(L"Height")) {}

DISPID ParentStandIn::formId(const wchar_t* name) const noexcept {
    DISPID id = DISPID_UNKNOWN;
    auto* names = const_cast<LPOLESTR>(name);
    form_->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

const wchar_t* ParentStandIn::memberName(DISPID id) const noexcept {
    for (const wchar_t* name : kFormMembers)
        if (formId(name) == id)
            return name;
    return L"?";
}

HRESULT ParentStandIn::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                     DISPID* ids) noexcept {
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    // A form of an environment measured in points has no window handle to offer.
    if (kind_ == ContainerKind::PointsParent && names[0] && _wcsicmp(names[0], L"hwnd") == 0) {
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    return form_->GetIDsOfNames(iid, names, count, locale, ids);
}

HRESULT ParentStandIn::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                              DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                              UINT* argumentError) noexcept try {
    if (!parameters)
        return E_INVALIDARG;
    calls_.push_back(std::wstring(isPut(flags)                     ? L"put "
                                  : (flags & DISPATCH_PROPERTYGET) ? L"get "
                                                                   : L"call ") +
                     memberName(id));
    if (id == width_ || id == height_)
        return invokeSize(id, locale, flags, *parameters, result, exception, argumentError);
    return form_->Invoke(id, iid, locale, flags, parameters, result, exception, argumentError);
} catch (...) {
    return win::toDispatchResult(exception, L"Form");
}

HRESULT ParentStandIn::invokeSize(DISPID id, LCID locale, WORD flags, DISPPARAMS& parameters,
                                  VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (isPut(flags)) {
        if (kind_ == ContainerKind::FixedSize)
            return S_OK; // accepted, and the window keeps its size
        if (kind_ == ContainerKind::ReadOnlyWidth && id == width_)
            return DISP_E_MEMBERNOTFOUND; // no put for Width, and no error information
        if (kind_ == ContainerKind::PointsParent) {
            if (parameters.cArgs != 1 || !parameters.rgvarg)
                return DISP_E_BADPARAMCOUNT;
            win::Variant points;
            if (FAILED(::VariantChangeType(points.get(), &parameters.rgvarg[0], 0, VT_R4)))
                return DISP_E_TYPEMISMATCH;
            VARIANT twips;
            twips.vt = VT_R4;
            twips.fltVal = points.get()->fltVal * kTwipsPerPoint;
            DISPPARAMS inTwips = parameters;
            inTwips.rgvarg = &twips;
            return form_->Invoke(id, IID_NULL, locale, flags, &inTwips, result, exception,
                                 argumentError);
        }
        return form_->Invoke(id, IID_NULL, locale, flags, &parameters, result, exception,
                             argumentError);
    }
    if (kind_ != ContainerKind::PointsParent)
        return form_->Invoke(id, IID_NULL, locale, flags, &parameters, result, exception,
                             argumentError);
    win::Variant twips;
    const HRESULT status = form_->Invoke(id, IID_NULL, locale, flags, &parameters, twips.get(),
                                         exception, argumentError);
    if (FAILED(status) || !result)
        return status;
    win::Variant points;
    if (FAILED(::VariantChangeType(points.get(), twips.get(), 0, VT_R4)))
        return DISP_E_TYPEMISMATCH;
    points.get()->fltVal /= kTwipsPerPoint;
    *result = points.release();
    return S_OK;
}

} // namespace cutshape::container_kinds
