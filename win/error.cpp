#include "win/error.h"

#include "win/text.h"

#include <cstdio>
#include <cstring>
#include <oleauto.h>

namespace cutshape::win {
namespace {

struct KnownText {
    HRESULT result;
    const wchar_t* text;
};

// The automation errors a late-bound call may answer with, in the words of Windows'
// message table.
constexpr KnownText kAutomationTexts[] = {
    {DISP_E_UNKNOWNINTERFACE, L"Unknown interface."},
    {DISP_E_MEMBERNOTFOUND, L"Member not found."},
    {DISP_E_PARAMNOTFOUND, L"Parameter not found."},
    {DISP_E_TYPEMISMATCH, L"Type mismatch."},
    {DISP_E_UNKNOWNNAME, L"Unknown name."},
    {DISP_E_NONAMEDARGS, L"No named arguments."},
    {DISP_E_BADVARTYPE, L"Bad variable type."},
    {DISP_E_EXCEPTION, L"Exception occurred."},
    {DISP_E_OVERFLOW, L"Out of present range."},
    {DISP_E_BADINDEX, L"Invalid index."},
    {DISP_E_UNKNOWNLCID, L"Unknown language."},
    {DISP_E_ARRAYISLOCKED, L"Memory is locked."},
    {DISP_E_BADPARAMCOUNT, L"Invalid number of parameters."},
    {DISP_E_PARAMNOTOPTIONAL, L"Parameter not optional."},
    {DISP_E_BADCALLEE, L"Invalid callee."},
    {DISP_E_NOTACOLLECTION, L"Does not support a collection."},
    {DISP_E_DIVBYZERO, L"Division by zero."},
    {E_UNEXPECTED, L"Catastrophic failure"},
};

} // namespace

Error::Error(HRESULT number, std::wstring description, std::wstring source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "0x%08lX: ", static_cast<unsigned long>(number_));
    what_ = prefix;
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, description_.c_str(),
                              static_cast<int>(description_.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, description_.c_str(),
                              static_cast<int>(description_.size()), text.data(), size, nullptr,
                              nullptr);
    what_ += text;
}

std::wstring systemMessage(HRESULT result) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring errorText(HRESULT result) {
    std::wstring text = systemMessage(result);
    if (!text.empty())
        return text;
    for (const KnownText& known : kAutomationTexts)
        if (known.result == result)
            return known.text;
    char number[24];
    std::snprintf(number, sizeof number, "error 0x%08lX", static_cast<unsigned long>(result));
    return std::wstring(number, number + std::strlen(number));
}

void check(HRESULT result, const wchar_t* context) {
    if (FAILED(result)) {
        std::wstring description = context;
        const std::wstring message = systemMessage(result);
        if (!message.empty())
            description += L": " + message;
        throw Error(result, std::move(description));
    }
}

void reportCaught(const wchar_t* context) noexcept {
    try {
        std::wstring what;
        try {
            throw;
        } catch (const Error& error) {
            what = error.description() + L" (" + errorText(error.number()) + L")";
        } catch (const std::exception& error) {
            what = widen(error.what());
        } catch (...) {
            what = L"an unknown failure";
        }
        ::OutputDebugStringW(
            (L"Cutshape: " + std::wstring(context) + L": " + what + L"\n").c_str());
    } catch (...) {
        ::OutputDebugStringW(L"Cutshape: a failure could not be described\n");
    }
}

void throwLastError(const wchar_t* context) {
    const DWORD code = ::GetLastError();
    const HRESULT result = code ? HRESULT_FROM_WIN32(code) : E_FAIL;
    check(result, context);
    throw Error(result, context); // unreachable: check throws for every failure code
}

} // namespace cutshape::win
