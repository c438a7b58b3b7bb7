// Keeps every ArithmeticError carrying exactly one fault and a message naming it.

#include "core/arithmetic_error.h"

namespace cutshape::core {
namespace {

const char* faultMessage(ArithmeticFault fault) noexcept {
    switch (fault) {
    case ArithmeticFault::DivisionByZero:
        return "division by zero";
    case ArithmeticFault::InvalidOperation:
        return "invalid floating-point operation";
    case ArithmeticFault::FloatOverflow:
        return "floating-point overflow";
    case ArithmeticFault::IntegerOverflow:
        return "integer overflow";
    }
    return "arithmetic error";
}

} // namespace

ArithmeticError::ArithmeticError(ArithmeticFault fault)
    : std::runtime_error(faultMessage(fault)), fault_(fault) {}

} // namespace cutshape::core
