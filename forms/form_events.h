#pragma once
// The events a running form raises and the names of their handlers. A handler is named
// object_event: the object is `Form` for the form's own events or a control's name
// (Form_Load, cmdEarth_Click). The runtime raises exactly these events, so a handler name
// outside them is a misspelling that would never run.

#include "forms/form_description.h"

#include <string>
#include <string_view>
#include <vector>

namespace cutshape::forms {

constexpr std::string_view kFormObject = "Form";

namespace events {
constexpr std::string_view kInitialize = "Initialize"; // before the form is loaded
constexpr std::string_view kLoad = "Load";             // after its controls exist
constexpr std::string_view kMouseDown = "MouseDown";   // on the form's own surface
constexpr std::string_view kClick = "Click";           // buttons, labels and images
} // namespace events

// Whether the form raises `event` on `object` (`Form` or one of its controls).
bool raisesEvent(const FormDescription& form, std::string_view object, std::string_view event);

// The names among `handlerNames` that name no event the form raises, in their order.
std::vector<std::string> unmatchedHandlers(const FormDescription& form,
                                           const std::vector<std::string>& handlerNames);

} // namespace cutshape::forms
