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

void CommonDialog::invokeMember(DISPID id, DispatchCall& call) {
    switch (id) {
    case kCancelError:
        if (call.isPut()) {
            cancelError_ = call.value(VT_BOOL).get()->boolVal != VARIANT_FALSE;
            return;
        }
        return call.returns(cancelError_);
    case kDialogTitle:
    case kFilter:
    case kFileName: {
        std::wstring& text = id == kDialogTitle ? title_ : id == kFilter ? filter_ : fileName_;
        if (call.isPut()) {
            text = textOf(call.value(VT_BSTR));
            return;
        }
        return call.returns(std::wstring_view(text));
    }
    case kFlags:
        if (call.isPut()) {
            flags_ = static_cast<DWORD>(call.value(VT_I4).get()->lVal);
            return;
        }
        return call.returns(static_cast<LONG>(flags_));
    case kAction:
        if (!call.isPut())
            throw win::Error(DISP_E_MEMBERNOTFOUND, L"The action can only be set.");
        if (call.value(VT_I2).get()->iVal != kShowOpen)
            throw runtime::invalidArgumentError();
        return showOpen();
    default:
        memberNotFound();
    }
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
