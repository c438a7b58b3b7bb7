#pragma once
// Deterministic mutants of a saved property set. Per key: a value of another type (each
// copyable value of a VariantValues), the key left out, or a read answered with a status
// and no value (failures, and successes that deliver nothing); first one key at a time,
// then random combinations of all of them. Each mutant is kept either in the container's own
// bag, which converts what it holds to the type the reader asks for, or in a verbatim bag.

#include "container/property_bag.h"
#include "tests/control/variant_values.h"

#include <string>
#include <vector>

namespace cutshape::test {

// The control's stored keys, in the order it reads them.
const std::vector<const wchar_t*>& storedKeys();

struct KeyChange {
    enum class Kind { Keep, Remove, Value, Answer };
    Kind kind = Kind::Keep;
    std::size_t value = 0; // into VariantValues::all(), for Kind::Value
    HRESULT answer = S_OK; // for Kind::Answer
};

using KeyChanges = std::vector<KeyChange>; // one per stored key

struct BagMutant {
    std::string name;
    bool verbatim = false;
    KeyChanges keys;
};

std::vector<BagMutant> bagMutants(const VariantValues& values);

// The mutant's bag: the `saved` set with the mutant's changes.
win::ComPtr<IPropertyBag> bagOf(const BagMutant& mutant, const container::PropertyBag& saved,
                                const VariantValues& values);

} // namespace cutshape::test
