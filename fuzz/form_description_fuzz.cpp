// Feeds arbitrary text to the form-description parser. It may refuse a description only with
// FormDescriptionError naming a line of the text; any other exception, a crash or a hang is
// a fault.

#include "forms/form_description.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cutshape::forms;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        parseFormDescription(text, "fuzz.form");
    } catch (const FormDescriptionError& error) {
        if (error.line() < 0)
            std::abort();
    }
    return 0;
}
