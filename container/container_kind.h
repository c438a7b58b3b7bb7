#pragma once
// How a container presents the form to the controls on it. The project's programs give the
// form itself as the extender's Parent; the other kinds stand in for containers of other
// environments (forms measured in points, forms that ignore size changes, containers
// without an extended control), so that a control can be tried in each of them.

#include "container/automation_object.h"
#include "container/form.h"
#include "win/com_object.h"

#include <oaidl.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cutshape::container {

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
    : public win::ComObject<ParentStandIn, win::Implements<IDispatch, UntypedDispatch>> {
public:
    ParentStandIn(ContainerKind kind, win::ComPtr<Form> form);

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
    win::ComPtr<Form> form_;
    DISPID width_;
    DISPID height_;
    std::vector<std::wstring> calls_;
};

// Whether an extended control of `kind` offers a stand-in as its Parent (rather than the
// form itself or nothing).
bool hasStandInParent(ContainerKind kind) noexcept;

} // namespace cutshape::container
