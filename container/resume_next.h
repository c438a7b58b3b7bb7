#pragma once
// Resume-next error trapping: each statement run through it records its error in the error
// object and execution goes on with the next statement.

#include "win/error.h"

#include <utility>

namespace cutshape::container {

class ResumeNext {
public:
    template <class Statement>
    void run(Statement&& statement) {
        try {
            std::forward<Statement>(statement)();
        } catch (const win::Error& error) {
            number_ = error.number();
        }
    }

    // The error object's Number: the runtime's own errors by their number (32755 for a
    // cancelled dialog), others by their 32-bit code; 0 while nothing failed.
    long number() const noexcept {
        return HRESULT_FACILITY(number_) == FACILITY_CONTROL ? HRESULT_CODE(number_)
                                                             : static_cast<long>(number_);
    }

private:
    HRESULT number_ = S_OK;
};

} // namespace cutshape::container
