#include "container/common_dialog.h"

#include "runtime/runtime_errors.h"
#include "win/com_error.h"
#include "win/variant.h"

#include <commdlg.h>
#include <olectl.h>
#include <vector>

namespace cutshape::container {
namespace {

enum DialogMember : DISPID {
    kFileName = 1,
    kDialogTitle = 2,
    kFilter = 3,
    kFlags = 7,
    kCancelError = 18,
    kAction = 26,
};

constexpr int kShowOpen = 1;
constexpr HRESULT kCancelled = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 32755);
constexpr std::size_t kFileNameCapacity = 32768;

win::Variant putValue(const DISPPARAMS& parameters, VARTYPE type) {
    if (parameters.cArgs != 1)
        throw win::Error(DISP_E_BADPARAMCOUNT, L"A property takes one value.");
    win::Variant value;
    if (FAILED(
            ::VariantChangeType(value.get(), const_cast<VARIANT*>(&parameters.rgvarg[0]), 0, type)))
        throw runtime::typeMismatchError();
    return value;
}

std::wstring textOf(const win::Variant& value) {
    const BSTR text = value.get()->bstrVal;
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

// "Description|patterns|..." as the dialog takes it: parts ended by nulls, then a null.
std::vector<wchar_t> filterList(const std::wstring& filter) {
    std::vector<wchar_t> list;
    for (const wchar_t c : filter)
        list.push_back(c == L'|' ? L'\0' : c);
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

} // namespace

HRESULT CommonDialog::GetTypeInfoCount(UINT* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CommonDialog::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT CommonDialog::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) noexcept {
    for (UINT i = 0; ids && i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT CommonDialog::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                             VARIANT* result, EXCEPINFO* exception, UINT*) noexcept try {
    if (!parameters)
        return E_INVALIDARG;
    invoke(id, flags, *parameters, result);
    return S_OK;
} catch (...) {
    return win::toDispatchResult(exception, L"CommonDialog");
}

void CommonDialog::invoke(DISPID id, WORD flags, const DISPPARAMS& parameters, VARIANT* result) {
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    win::Variant value;
    switch (id) {
    case kCancelError:
        if (put) {
            cancelError_ = putValue(parameters, VT_BOOL).get()->boolVal != VARIANT_FALSE;
            return;
        }
        value.get()->vt = VT_BOOL;
        value.get()->boolVal = cancelError_ ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case kDialogTitle:
    case kFilter:
    case kFileName: {
        std::wstring& text = id == kDialogTitle ? title_ : id == kFilter ? filter_ : fileName_;
        if (put) {
            text = textOf(putValue(parameters, VT_BSTR));
            return;
        }
        value.get()->vt = VT_BSTR;
        value.get()->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        break;
    }
    case kFlags:
        if (put) {
            flags_ = static_cast<DWORD>(putValue(parameters, VT_I4).get()->lVal);
            return;
        }
        value.get()->vt = VT_I4;
        value.get()->lVal = static_cast<LONG>(flags_);
        break;
    case kAction:
        if (!put)
            throw win::Error(DISP_E_MEMBERNOTFOUND, L"The action can only be set.");
        if (putValue(parameters, VT_I2).get()->iVal != kShowOpen)
            throw runtime::invalidArgumentError();
        showOpen();
        return;
    default:
        throw win::Error(DISP_E_MEMBERNOTFOUND, L"No such member");
    }
    if (put)
        throw win::Error(DISP_E_MEMBERNOTFOUND, L"The member cannot be set.");
    if (result)
        *result = value.release();
}

void CommonDialog::showOpen() {
    std::vector<wchar_t> file(kFileNameCapacity, L'\0');
    fileName_.copy(file.data(), std::min(fileName_.size(), file.size() - 1));
    const std::vector<wchar_t> filter = filterList(filter_);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ::GetActiveWindow();
    dialog.lpstrFilter = filter_.empty() ? nullptr : filter.data();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    dialog.Flags = flags_;
    if (::GetOpenFileNameW(&dialog)) {
        fileName_ = file.data();
        return;
    }
    const DWORD failure = ::CommDlgExtendedError();
    if (failure != 0)
        throw win::Error(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 32765),
                         L"The file dialog failed with code " + std::to_wstring(failure) + L".");
    if (cancelError_)
        throw win::Error(kCancelled, L"Cancel was selected.");
}

} // namespace cutshape::container
