// Feeds arbitrary text to the form-description parser. It may refuse a description only with
// FormDescriptionError naming a line of the text; any other exception, a crash or a hang is
// a fault. An accepted description must raise Click on each of its runtime-drawn controls
// and Load on the form, so that handlers for them are taken.

#include "forms/form_description.h"
#include "forms/form_events.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cutshape::forms;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const FormDescription form = parseFormDescription(text, "fuzz.form");
        std::vector<std::string> handlers{"Form_Load"};
        for (const ControlDescription& control : form.controls)
            if (control.kind != ControlKind::ActiveX)
                handlers.push_back(control.name + "_Click");
        if (!unmatchedHandlers(form, handlers).empty())
            std::abort();
    } catch (const FormDescriptionError& error) {
        const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        if (error.line() < 1 || error.line() > lines)
            std::abort();
    }
    return 0;
}
