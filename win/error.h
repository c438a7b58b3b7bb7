#pragma once
// The one error type of the Windows layers: an HRESULT with a description and the source
// that raised it (an automation error's number, description and source). Functions throw
// it; the COM boundary turns it into an HRESULT plus IErrorInfo.

#include <exception>
#include <string>
#include <windows.h>

namespace cutshape::win {

class Error : public std::exception {
public:
    Error(HRESULT number, std::wstring description, std::wstring source = {});

    HRESULT number() const noexcept { return number_; }
    const std::wstring& description() const noexcept { return description_; }
    const std::wstring& source() const noexcept { return source_; }
    // "0x<number>: <description>" in UTF-8, for logs and test reports.
    const char* what() const noexcept override { return what_.c_str(); }

private:
    HRESULT number_;
    std::wstring description_;
    std::wstring source_;
    std::string what_;
};

// Throws Error(result, <context>: <system message>) when `result` is a failure.
void check(HRESULT result, const wchar_t* context);

// Throws Error built from GetLastError(), naming the failed call.
[[noreturn]] void throwLastError(const wchar_t* context);

// Call only from a catch block that must not rethrow (window procedures, destructors, a
// second failure while the first is being reported): says on the debugger's output
// (OutputDebugStringW) what was caught and where, "Cutshape: <context>: <what>", so that no
// failure vanishes without a word.
void reportCaught(const wchar_t* context) noexcept;

// The system's message text for an HRESULT, without the trailing line break; empty if none.
std::wstring systemMessage(HRESULT result);

// What an HRESULT means, for an error description: the system's message text; for the
// automation codes the system of the moment has no text for (Wine's message table lacks
// them), the text Windows gives them; else "error 0x<number>".
std::wstring errorText(HRESULT result);

} // namespace cutshape::win
