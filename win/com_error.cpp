#include "win/com_error.h"

#include "win/com_ptr.h"
#include "win/error.h"

#include <new>
#include <oaidl.h>

namespace cutshape::win {

void setErrorInfo(REFIID iid, const wchar_t* source, const wchar_t* description) noexcept {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(::CreateErrorInfo(create.put())))
        return;
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(source));
    create->SetDescription(const_cast<LPOLESTR>(description));
    if (ComPtr<IErrorInfo> info = create.tryQuery<IErrorInfo>())
        ::SetErrorInfo(0, info.get());
}

HRESULT toComError(REFIID iid, const wchar_t* source) noexcept {
    try {
        throw;
    } catch (const Error& error) {
        const std::wstring& errorSource = error.source();
        setErrorInfo(iid, errorSource.empty() ? source : errorSource.c_str(),
                     error.description().c_str());
        return FAILED(error.number()) ? error.number() : E_FAIL;
    } catch (const std::bad_alloc&) {
        setErrorInfo(iid, source, L"Out of memory");
        return E_OUTOFMEMORY;
    } catch (...) {
        setErrorInfo(iid, source, L"Unexpected failure");
        return E_UNEXPECTED;
    }
}

} // namespace cutshape::win

namespace cutshape::win {

void checkWithErrorInfo(HRESULT result, const wchar_t* context) {
    if (SUCCEEDED(result))
        return;
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) == S_OK && info) {
        BSTR description = nullptr;
        BSTR source = nullptr;
        info->GetDescription(&description);
        info->GetSource(&source);
        Error error(result, description ? description : L"", source ? source : L"");
        ::SysFreeString(description);
        ::SysFreeString(source);
        throw error;
    }
    check(result, context);
}

} // namespace cutshape::win

namespace cutshape::win {

HRESULT toDispatchException(EXCEPINFO* exception, const wchar_t* source) noexcept {
    try {
        throw;
    } catch (const Error& error) {
        if (error.number() == DISP_E_MEMBERNOTFOUND || error.number() == DISP_E_BADPARAMCOUNT)
            return error.number();
        if (exception) {
            *exception = EXCEPINFO{};
            exception->scode = error.number();
            exception->bstrSource =
                ::SysAllocString(error.source().empty() ? source : error.source().c_str());
            exception->bstrDescription = ::SysAllocString(error.description().c_str());
        }
        return DISP_E_EXCEPTION;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace cutshape::win
