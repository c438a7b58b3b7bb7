#pragma once
// ActiveX controls of a form description: the instance, created by class identifier from
// the registered library, and the property bag holding the description's stored set.

#include "container/property_bag.h"
#include "forms/form_description.h"
#include "win/com_ptr.h"

namespace cutshape::container {

// Throws error 429 naming the control, its class and library when the class cannot be
// created (its library missing or not registered).
win::ComPtr<IUnknown> createActiveX(const forms::ControlDescription& description);

// The stored set as typed values; a picture's bytes come from the bundled file it names.
win::ComPtr<PropertyBag> storedProperties(const forms::ControlDescription& description);

// The automation interface programs call: the earlier default interface the description
// records when the control answers it, else IDispatch.
win::ComPtr<IDispatch> automationInterface(const forms::ControlDescription& description,
                                           const win::ComPtr<IUnknown>& control);

} // namespace cutshape::container
