#include "control/about/system_info.h"

#include "runtime/host_services.h"
#include "runtime/runtime_errors.h"
#include "win/registry.h"

#include <cwchar>
#include <string>
#include <vector>

namespace cutshape::control::about {
namespace {

constexpr DWORD kBufferBytes = 1024;
// Read access suffices, and unlike full access it is granted to users who are not
// administrators, so the tool starts for them too.
constexpr REGSAM kAccess = KEY_READ;

constexpr const char* kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kToolValue = "PATH";
constexpr const char* kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kToolFolderValue = "MSINFO";
constexpr const wchar_t* kToolFile = L"\\MSINFO32.EXE";
constexpr const wchar_t* kUnavailable =
    L"La informaci\u00f3n del sistema no est\u00e1 disponible en este momento";

// Registry text comes in the ANSI code page; the window functions take UTF-16.
std::wstring fromAnsi(const BYTE* bytes, std::size_t count) {
    if (count == 0)
        return {};
    const auto length = static_cast<int>(count);
    const auto* text = reinterpret_cast<const char*>(bytes);
    std::wstring wide(
        static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0)),
        L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

// "&h" and hexadecimal digits read as their number in decimal; any other text stays as is.
std::wstring formatHexLiteral(const std::wstring& text) {
    const std::wstring digits = text.substr(2);
    constexpr std::size_t kMaxDigits = 16; // what fits in 64 bits
    if (digits.empty() || digits.size() > kMaxDigits ||
        digits.find_first_not_of(L"0123456789ABCDEFabcdef") != std::wstring::npos)
        return text;
    return std::to_wstring(std::wcstoull(digits.c_str(), nullptr, 16));
}

} // namespace

bool getKeyValue(HKEY root, const char* keyPath, const char* valueName, std::wstring& value) {
    const auto key = win::openRegistryKey(root, keyPath, kAccess);
    if (!key) {
        value.clear();
        return false;
    }
    const auto read = win::queryRegistryValue(key->get(), valueName, kBufferBytes);
    if (!read) {
        value.clear();
        return false;
    }
    const std::vector<BYTE>& data = read->data;
    // The byte at the reported size (counting from 1) must exist: size 0 names none.
    if (data.empty())
        throw runtime::invalidArgumentError();
    const std::size_t kept = data.back() == 0 ? data.size() - 1 : data.size();
    switch (read->type) {
    case REG_SZ:
        value = fromAnsi(data.data(), kept);
        break;
    case REG_DWORD: {
        wchar_t digits[3];
        for (std::size_t i = kept; i-- > 0;) {
            std::swprintf(digits, std::size(digits), L"%X", static_cast<unsigned>(data[i]));
            value += digits;
        }
        value = formatHexLiteral(L"&h" + value);
        break;
    }
    default:
        break;
    }
    return true;
}

void startSysInfo(HWND owner, const std::wstring& title) noexcept {
    try {
        std::wstring program;
        if (!getKeyValue(HKEY_LOCAL_MACHINE, kToolKey, kToolValue, program)) {
            std::wstring folder;
            if (!getKeyValue(HKEY_LOCAL_MACHINE, kToolFolderKey, kToolFolderValue, folder))
                throw runtime::fileNotFoundError(kToolFile);
            const std::wstring candidate = folder + kToolFile;
            if (runtime::dir(candidate).empty())
                throw runtime::fileNotFoundError(candidate);
            program = candidate;
        }
        // The program named by the first value is started without looking for it first.
        runtime::shell(program, SW_SHOWNORMAL);
        return;
    } catch (...) {
        // Every failure, a run-time error of a lookup included, ends in the one message.
        win::reportCaught(L"starting the system information tool");
    }
    try {
        runtime::msgBox(owner, kUnavailable, MB_OK, title);
    } catch (...) {
        // Nothing is left to tell the user with.
        win::reportCaught(L"telling that the system information tool is unavailable");
    }
}

} // namespace cutshape::control::about
