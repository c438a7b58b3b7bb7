#pragma once
// The file dialog control "MSComDlg.CommonDialog" as a layer of the project's own: its
// settings by dispatch identifier (18 CancelError, 2 DialogTitle, 3 Filter, 7 Flags,
// 1 FileName) and its action (identifier 26; 1 shows the modal open-file dialog). A
// cancelled dialog raises error 32755 when CancelError is True.

#include "container/automation_object.h"
#include "win/com_object.h"

#include <oaidl.h>
#include <string>

namespace cutshape::container {

class CommonDialog final
    : public win::ComObject<CommonDialog, win::Implements<IDispatch, AutomationObject>> {
public:
    static constexpr const char* kClassName = "MSComDlg.CommonDialog";

private:
    // Reached by dispatch identifier only, as programs compiled against the dialog call it.
    const wchar_t* sourceName() const noexcept override { return L"CommonDialog"; }
    void invokeMember(DISPID id, DispatchCall& call) override;
    void showOpen();

    bool cancelError_ = false;
    std::wstring title_;
    std::wstring filter_;
    DWORD flags_ = 0;
    std::wstring fileName_;
};

} // namespace cutshape::container
