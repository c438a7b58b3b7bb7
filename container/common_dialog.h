#pragma once
// The file dialog control "MSComDlg.CommonDialog" as a layer of the project's own: its
// settings by dispatch identifier (18 CancelError, 2 DialogTitle, 3 Filter, 7 Flags,
// 1 FileName) and its action (identifier 26; 1 shows the modal open-file dialog). A
// cancelled dialog raises error 32755 when CancelError is True.

#include "win/com_object.h"

#include <oaidl.h>
#include <string>

namespace cutshape::container {

class CommonDialog final : public win::ComObject<CommonDialog, IDispatch> {
public:
    static constexpr const char* kClassName = "MSComDlg.CommonDialog";

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID,
                                            DISPID* ids) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) noexcept override;

private:
    void invoke(DISPID id, WORD flags, const DISPPARAMS& parameters, VARIANT* result);
    void showOpen();

    bool cancelError_ = false;
    std::wstring title_;
    std::wstring filter_;
    DWORD flags_ = 0;
    std::wstring fileName_;
};

} // namespace cutshape::container
