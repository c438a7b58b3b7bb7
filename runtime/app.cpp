#include "runtime/app.h"

#include "win/error.h"
#include "win/module.h"

#include <cstdio>
#include <vector>

namespace cutshape::runtime {
namespace {

// The version block of `file`; empty when it has none.
std::vector<BYTE> versionBlock(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return {};
    return block;
}

// The product name of the block's first translation; empty when there is none.
std::wstring productName(std::vector<BYTE>& block) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* data = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) ||
        length < sizeof(Translation))
        return {};
    const auto* translation = static_cast<const Translation*>(data);
    wchar_t query[64];
    std::swprintf(query, std::size(query), L"\\StringFileInfo\\%04X%04X\\ProductName",
                  translation->language, translation->codePage);
    if (!::VerQueryValueW(block.data(), query, &data, &length) || length == 0)
        return {};
    std::wstring name(static_cast<const wchar_t*>(data), length);
    if (const auto end = name.find(L'\0'); end != std::wstring::npos)
        name.resize(end);
    return name;
}

} // namespace

App::App(HMODULE module) {
    const std::wstring file = win::moduleFileName(module);
    const auto slash = file.find_last_of(L"\\/");
    path_ = slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
    std::vector<BYTE> block = versionBlock(file);
    if (!block.empty()) {
        void* data = nullptr;
        UINT length = 0;
        if (::VerQueryValueW(block.data(), L"\\", &data, &length) &&
            length >= sizeof(VS_FIXEDFILEINFO)) {
            const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
            major_ = HIWORD(fixed->dwFileVersionMS);
            minor_ = LOWORD(fixed->dwFileVersionMS);
            revision_ = LOWORD(fixed->dwFileVersionLS);
        }
        title_ = productName(block);
    }
    if (title_.empty()) {
        title_ = slash == std::wstring::npos ? file : file.substr(slash + 1);
        if (const auto dot = title_.find_last_of(L'.'); dot != std::wstring::npos)
            title_.resize(dot);
    }
}

} // namespace cutshape::runtime
