#pragma once
// The arithmetic faults of the size computation. The host runtime turns each into its own
// automation error; the core only says which fault happened.

#include <stdexcept>

namespace cutshape::core {

enum class ArithmeticFault {
    DivisionByZero,   // a finite value divided by zero
    InvalidOperation, // 0/0, infinity/infinity, or an operand that is not a number
    FloatOverflow,    // the quotient is not finite
    IntegerOverflow,  // the rounded value does not fit a 32-bit signed integer
};

class ArithmeticError : public std::runtime_error {
public:
    explicit ArithmeticError(ArithmeticFault fault);
    ArithmeticFault fault() const noexcept { return fault_; }

private:
    ArithmeticFault fault_;
};

} // namespace cutshape::core
