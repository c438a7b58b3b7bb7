#include "win/error.h"

namespace cutshape::win {

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

void check(HRESULT result, const wchar_t* context) {
    if (FAILED(result)) {
        std::wstring description = context;
        const std::wstring message = systemMessage(result);
        if (!message.empty())
            description += L": " + message;
        throw Error(result, std::move(description));
    }
}

void throwLastError(const wchar_t* context) {
    const DWORD code = ::GetLastError();
    const HRESULT result = code ? HRESULT_FROM_WIN32(code) : E_FAIL;
    check(result, context);
    throw Error(result, context); // unreachable: check throws for every failure code
}

} // namespace cutshape::win
