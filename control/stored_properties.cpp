#include "control/stored_properties.h"

#include <algorithm>
#include <type_traits>

namespace cutshape::control {
namespace {

// A row's accessors from the owner's member functions.
template <auto Get>
StoredValue getVia(const PropertyOwner& owner) {
    return StoredValue((owner.*Get)());
}

template <auto Get, auto Set>
void setVia(PropertyOwner& owner, StoredValue value) {
    using Value = std::decay_t<decltype((std::declval<const PropertyOwner&>().*Get)())>;
    (owner.*Set)(std::get<Value>(std::move(value)));
}

StoredValue nothing() {
    return runtime::Picture();
}
StoredValue emptyPicture() {
    return runtime::emptyPicture();
}
StoredValue black() {
    return core::Color{0};
}
StoredValue yes() {
    return VARIANT_BOOL{VARIANT_TRUE};
}
StoredValue no() {
    return VARIANT_BOOL{VARIANT_FALSE};
}

// key, type, bag read order, bag write order, stream position, since version, key default,
// InitNew value, accessors.
const StoredProperty kRows[] = {
    {L"Picture", VT_DISPATCH, 1, 1, 1, 1, emptyPicture, nothing, getVia<&PropertyOwner::picture>,
     setVia<&PropertyOwner::picture, &PropertyOwner::setPicture>},
    {L"MaskColor", VT_I4, 2, 2, 2, 1, black, black, getVia<&PropertyOwner::maskColor>,
     setVia<&PropertyOwner::maskColor, &PropertyOwner::setMaskColor>},
    {L"AutomaticMaskColor", VT_BOOL, 3, 4, 4, 1, yes, no,
     getVia<&PropertyOwner::automaticMaskColor>,
     setVia<&PropertyOwner::automaticMaskColor, &PropertyOwner::setAutomaticMaskColor>},
    {L"ShowPicture", VT_BOOL, 4, 3, 3, 1, yes, no, getVia<&PropertyOwner::showPicture>,
     setVia<&PropertyOwner::showPicture, &PropertyOwner::setShowPicture>},
};

} // namespace

std::span<const StoredProperty> storedProperties() {
    return kRows;
}

std::vector<const StoredProperty*> inOrder(std::span<const StoredProperty> rows,
                                           int StoredProperty::*position) {
    std::vector<const StoredProperty*> ordered;
    for (const StoredProperty& row : rows)
        ordered.push_back(&row);
    std::sort(ordered.begin(), ordered.end(),
              [position](const StoredProperty* a, const StoredProperty* b) {
                  return a->*position < b->*position;
              });
    return ordered;
}

bool isKeyDefault(const StoredProperty& row, const StoredValue& value) {
    const StoredValue fallback = row.keyDefault();
    if (const auto* picture = std::get_if<runtime::Picture>(&value)) {
        const auto& other = std::get<runtime::Picture>(fallback);
        return (picture->isEmpty() && other.isEmpty()) || *picture == other;
    }
    return value == fallback;
}

} // namespace cutshape::control
