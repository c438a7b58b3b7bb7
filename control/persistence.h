#pragma once
// The control's stored state, as the table of stored_properties.h lays it out: keys in the
// container's property bag, or the same values in a stream of the control's own. Every
// function takes the rows to follow (the control's own unless given).

#include "control/stored_properties.h"

#include <ocidl.h>

namespace cutshape::control {

// Gives each property its InitNew value.
void initNewProperties(PropertyOwner& owner,
                       std::span<const StoredProperty> rows = storedProperties());

// Restores the state in read order; a key the bag lacks takes its default. A failing read, a
// picture key that holds no picture, or a value that does not convert ends the restore with
// that error; what was restored stays.
void readProperties(IPropertyBag& bag, IErrorLog* log, PropertyOwner& owner,
                    std::span<const StoredProperty> rows = storedProperties());

// Saves the state in write order; values equal to their key defaults are left out unless
// `saveAll`.
void writeProperties(IPropertyBag& bag, const PropertyOwner& owner, bool saveAll,
                     std::span<const StoredProperty> rows = storedProperties());

// The same state as a stream: the tag "CSHP", a 16-bit version, from version 2 on the 32-bit
// length of the rest of the control's data, then the values in stream position (a picture as
// a flag byte and the picture as the picture object saves itself, a colour in 32 bits, a
// Boolean in 16). Reading takes every version from 1 on: of a later version than it knows it
// reads the values it knows and skips to the end the length gives. A failing value ends the
// reading as in a bag.
void readStream(IStream& stream, PropertyOwner& owner,
                std::span<const StoredProperty> rows = storedProperties());
// Writes the lowest version that holds every value that differs from its key default.
void writeStream(IStream& stream, const PropertyOwner& owner,
                 std::span<const StoredProperty> rows = storedProperties());

} // namespace cutshape::control
