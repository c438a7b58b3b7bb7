#include "win/error.h"

#include <cstdio>

namespace cutshape::win {

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
