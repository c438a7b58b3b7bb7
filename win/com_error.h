#pragma once
// The COM boundary: turns the exception in flight into an HRESULT and sets the thread's
// error information (description, source, interface), so that no exception crosses a COM
// method and dispatch callers receive the number, source and description.

#include "win/error.h"

#include <oaidl.h>
#include <optional>
#include <windows.h>

namespace cutshape::win {

// Call only from a catch block. `source` names the object when the error names none. An
// Error keeps its number (a success code becomes E_FAIL); allocation failure is E_OUTOFMEMORY;
// another standard exception E_FAIL with its text; anything else E_UNEXPECTED.
HRESULT toComError(REFIID iid, const wchar_t* source) noexcept;

// Sets the thread's error information without an exception.
void setErrorInfo(REFIID iid, const wchar_t* source, const wchar_t* description) noexcept;

} // namespace cutshape::win

namespace cutshape::win {

// The thread's error information, taken (the thread holds none afterwards), as an Error
// numbered `result`; nothing when there is none or it has no description. The one reader:
// callers clear the information before their call, so that an earlier call's is never
// taken for theirs.
std::optional<Error> takeErrorInfo(HRESULT result);

// Throws Error for a failed `result`: the callee's error information when it left some,
// else the system's text after `context`.
[[noreturn]] void throwWithErrorInfo(HRESULT result, const wchar_t* context);

// The caller's side of the boundary: clears the thread's error information, makes the COM
// call `call` (which returns an HRESULT) and throws Error when it fails, with the
// description and source the callee left, if any.
template <class Call>
void checkWithErrorInfo(Call&& call, const wchar_t* context) {
    ::SetErrorInfo(0, nullptr);
    if (const HRESULT result = call(); FAILED(result))
        throwWithErrorInfo(result, context);
}

} // namespace cutshape::win

namespace cutshape::win {

// The boundary of a member called through IDispatch::Invoke: call only from a catch block.
// The error becomes DISP_E_EXCEPTION with its number, source and description both in
// `exception` (when given) and in the thread's error information, as toComError converts it.
HRESULT toDispatchException(EXCEPINFO* exception, const wchar_t* source,
                            REFIID iid = IID_IDispatch) noexcept;

// The boundary of a hand-written IDispatch::Invoke as a whole: failures of the call itself
// (unknown member, wrong argument count) are returned as they are; any other error as
// toDispatchException returns it.
HRESULT toDispatchResult(EXCEPINFO* exception, const wchar_t* source,
                         REFIID iid = IID_IDispatch) noexcept;

} // namespace cutshape::win
