#include "runtime/runtime_errors.h"

#include <olectl.h>

namespace cutshape::runtime {

win::Error fileNotFoundError(std::wstring_view path) {
    return win::Error(CTL_E_FILENOTFOUND, L"File not found: " + std::wstring(path));
}

win::Error pathNotFoundError(std::wstring_view path) {
    return win::Error(CTL_E_PATHNOTFOUND, L"Path not found: " + std::wstring(path));
}

win::Error invalidPictureError(std::wstring_view detail) {
    return win::Error(CTL_E_INVALIDPICTURE, L"Invalid picture: " + std::wstring(detail));
}

win::Error outOfMemoryError(std::wstring_view detail) {
    return win::Error(CTL_E_OUTOFMEMORY, L"Out of memory: " + std::wstring(detail));
}

win::Error overflowError() {
    return win::Error(CTL_E_OVERFLOW, L"Overflow");
}

win::Error divisionByZeroError() {
    return win::Error(CTL_E_DIVISIONBYZERO, L"Division by zero");
}

win::Error typeMismatchError() {
    return win::Error(STD_CTL_SCODE(13), L"Type mismatch");
}

win::Error invalidArgumentError() {
    return win::Error(CTL_E_ILLEGALFUNCTIONCALL, L"Invalid procedure call or argument");
}

win::Error arithmeticError(const core::ArithmeticError& fault) {
    if (fault.fault() == core::ArithmeticFault::DivisionByZero)
        return divisionByZeroError();
    return overflowError();
}

} // namespace cutshape::runtime
