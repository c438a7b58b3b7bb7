#pragma once
// Containers a control can be tried in, made from the project's forms: the project's own
// (the form itself as the extender's Parent) and stand-ins for containers of other
// environments (forms measured in points, forms that ignore size changes, containers
// without an extended control). A site presents its form as one of them by the extended
// control it is given to offer (container::ExtenderFactory).

#include "container/automation_object.h"
#include "container/control_site.h"
#include "container/form.h"
#include "win/com_object.h"

#include <oaidl.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cutshape::container_kinds {

enum class ContainerKind {
    Form,          // the extender's Parent is the form itself
    PointsParent,  // a Parent without hwnd whose Width and Height are in points
    FixedSize,     // a Parent whose Width and Height puts succeed but change nothing
    ReadOnlyWidth, // a Parent that refuses a Width put with a bare DISP_E_MEMBERNOTFOUND
    NoParent,      // an extended control without a Parent
    NoExtender,    // no extended control at all
};

// The command-line names: form, points, fixed-size, read-only-width, no-parent, no-extender.
std::optional<ContainerKind> containerKindNamed(std::wstring_view name);
std::wstring nameOf(ContainerKind kind);

// A Parent standing in for another environment's form: it reaches the form's members by
// name and changes what its kind changes. It logs every member call ("get Width",
// "put Width", "call Refresh") so that a test can tell what a control used.
class ParentStandIn final
    : public win::ComObject<ParentStandIn, win::Implements<IDispatch, container::UntypedDispatch>> {
public:
    ParentStandIn(ContainerKind kind, win::ComPtr<container::Form> form);

    const std::vector<std::wstring>& calls() const noexcept { return calls_; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) noexcept override;

private:
    DISPID formId(const wchar_t* name) const noexcept;
    const wchar_t* memberName(DISPID id) const noexcept;
    HRESULT invokeSize(DISPID id, LCID locale, WORD flags, DISPPARAMS& parameters, VARIANT* result,
                       EXCEPINFO* exception, UINT* argumentError);

    ContainerKind kind_;
    win::ComPtr<container::Form> form_;
    DISPID width_;
    DISPID height_;
    std::vector<std::wstring> calls_;
};

// How a site presents `form` as a container of `kind` does: the extended control to give
// its placement (empty for the project's own form, which the site makes itself) and the
// stand-in Parent on that extended control, for the kinds that have one.
struct Presentation {
    container::ExtenderFactory extender;
    win::ComPtr<ParentStandIn> standIn;
};
Presentation presentationOf(ContainerKind kind, const win::ComPtr<container::Form>& form);

} // namespace cutshape::container_kinds
