#pragma once
// The control's stored properties, one row each. The property bag's reader and writer, the
// stream's reader and writer and InitNew all follow this table: a property is stored by adding
// its row (and its member, with accessors on the owner).
//
// A row's key default is what a bag without the key gives, and what the writer leaves out
// unless it saves all values; its InitNew value is what a new control starts with. A stream
// holds the rows in stream position. A row that a later stream version introduced is read
// only from streams of that version or later (older ones give its key default), and the
// writer takes that version only while the value differs from its key default, so a state
// without newer values is stored as version 1, which every build reads.

#include "control/control_properties.h"

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace cutshape::control {

// The object whose accessors the rows go through.
using PropertyOwner = ControlProperties;

// A stored value: a picture (VT_DISPATCH), a colour (VT_I4) or a Boolean (VT_BOOL).
using StoredValue = std::variant<runtime::Picture, core::Color, VARIANT_BOOL>;

struct StoredProperty {
    const wchar_t* key;
    VARTYPE type;               // how the value is stored: VT_DISPATCH, VT_I4 or VT_BOOL
    int readOrder;              // position among the rows when a bag is read, from 1
    int writeOrder;             // position among the rows when a bag is written, from 1
    int streamPosition;         // position among the rows in a stream, from 1
    std::uint16_t sinceVersion; // the stream version that introduced the row
    StoredValue (*keyDefault)();
    StoredValue (*initNew)();
    StoredValue (*get)(const PropertyOwner&);
    void (*set)(PropertyOwner&, StoredValue);
};

// The rows of the control's stored properties.
std::span<const StoredProperty> storedProperties();

// The rows in the order that `position` gives (one of the three position columns).
std::vector<const StoredProperty*> inOrder(std::span<const StoredProperty> rows,
                                           int StoredProperty::*position);

// Whether `value` is the row's key default; pictures that draw nothing are all alike.
bool isKeyDefault(const StoredProperty& row, const StoredValue& value);

} // namespace cutshape::control
