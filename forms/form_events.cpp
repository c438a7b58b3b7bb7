#include "forms/form_events.h"

#include <algorithm>
#include <array>

namespace cutshape::forms {
namespace {

constexpr std::array kFormEvents{events::kInitialize, events::kLoad, events::kMouseDown};
constexpr std::array kRuntimeControlEvents{events::kClick};

template <typename Events>
bool contains(const Events& names, std::string_view event) {
    return std::find(names.begin(), names.end(), event) != names.end();
}

} // namespace

bool raisesEvent(const FormDescription& form, std::string_view object, std::string_view event) {
    if (object == kFormObject)
        return contains(kFormEvents, event);
    const ControlDescription* control = form.find(object);
    // ActiveX controls' own events do not reach the program's handlers.
    return control && control->kind != ControlKind::ActiveX &&
           contains(kRuntimeControlEvents, event);
}

std::vector<std::string> unmatchedHandlers(const FormDescription& form,
                                           const std::vector<std::string>& handlerNames) {
    std::vector<std::string> unmatched;
    for (const std::string& name : handlerNames) {
        // Event names hold no underscore; control names may.
        const std::size_t split = name.rfind('_');
        if (split == std::string::npos ||
            !raisesEvent(form, std::string_view(name).substr(0, split),
                         std::string_view(name).substr(split + 1)))
            unmatched.push_back(name);
    }
    return unmatched;
}

} // namespace cutshape::forms
