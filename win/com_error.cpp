#include "win/com_error.h"

#include "win/com_ptr.h"
#include "win/error.h"

#include <exception>
#include <new>
#include <oaidl.h>
#include <string>

namespace cutshape::win {
namespace {

// An exception that is no Error: allocation failure is E_OUTOFMEMORY, another standard
// exception E_FAIL with its own text, anything else E_UNEXPECTED. Building the text may
// itself run out of memory, so the fixed texts need no allocation.
struct Failure {
    HRESULT number;
    const wchar_t* fixedText;
    std::wstring text;
    const wchar_t* description() const noexcept { return text.empty() ? fixedText : text.c_str(); }
};

// Call only from a catch block whose exception is not an Error.
Failure currentFailure() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return {E_OUTOFMEMORY, L"Out of memory", {}};
    } catch (const std::exception& exception) {
        Failure failure{E_FAIL, L"Unexpected failure", {}};
        try {
            for (const char* c = exception.what(); *c; ++c)
                failure.text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        } catch (...) {
            failure.text.clear();
        }
        return failure;
    } catch (...) {
        return {E_UNEXPECTED, L"Unexpected failure", {}};
    }
}

} // namespace

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
    } catch (...) {
        const Failure failure = currentFailure();
        setErrorInfo(iid, source, failure.description());
        return failure.number;
    }
}

} // namespace cutshape::win

namespace cutshape::win {

std::optional<Error> takeErrorInfo(HRESULT result) {
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) != S_OK || !info)
        return std::nullopt;
    BSTR description = nullptr;
    BSTR source = nullptr;
    info->GetDescription(&description);
    info->GetSource(&source);
    std::optional<Error> error;
    if (description && *description)
        error.emplace(result, description, source ? source : L"");
    ::SysFreeString(description);
    ::SysFreeString(source);
    return error;
}

void throwWithErrorInfo(HRESULT result, const wchar_t* context) {
    if (std::optional<Error> error = takeErrorInfo(result))
        throw *error;
    check(result, context);
    throw Error(result, context); // unreachable: check throws for every failure code
}

} // namespace cutshape::win

namespace cutshape::win {

HRESULT toDispatchResult(EXCEPINFO* exception, const wchar_t* source, REFIID iid) noexcept {
    try {
        throw;
    } catch (const Error& error) {
        if (error.number() == DISP_E_MEMBERNOTFOUND || error.number() == DISP_E_BADPARAMCOUNT)
            return error.number();
        return toDispatchException(exception, source, iid);
    } catch (...) {
        return toDispatchException(exception, source, iid);
    }
}

HRESULT toDispatchException(EXCEPINFO* exception, const wchar_t* source, REFIID iid) noexcept {
    // The same number, source and text go into the thread's error information, for callers
    // that pass no EXCEPINFO, and into the EXCEPINFO.
    const HRESULT number = toComError(iid, source);
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = number;
        // Taken to be copied, and set again: it stays for the caller as well.
        if (const std::optional<Error> error = takeErrorInfo(number)) {
            exception->bstrSource = ::SysAllocString(error->source().c_str());
            exception->bstrDescription = ::SysAllocString(error->description().c_str());
            setErrorInfo(iid, error->source().c_str(), error->description().c_str());
        }
    }
    return DISP_E_EXCEPTION;
}

} // namespace cutshape::win
