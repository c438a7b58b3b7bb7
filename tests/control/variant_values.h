#pragma once
// Values of every VARIANT type a careless or hostile caller may hand the control: each
// plain type at ordinary and extreme values, texts, objects (pictures and others), arrays,
// values by reference (to real storage, to nothing, to themselves, to further references)
// and type codes a VARIANT must never carry. The set owns the texts, arrays and storage its
// values point into; the objects are the caller's and the set takes no reference to them.

#include <memory>
#include <oaidl.h>
#include <string>
#include <utility>
#include <vector>

namespace cutshape::test {

struct NamedVariant {
    std::string name;
    VARIANT value;
    // A valid VARIANT that VariantCopy duplicates (a property bag can store it).
    bool copyable = true;
};

class VariantValues {
public:
    using NamedObject = std::pair<std::string, IDispatch*>;

    // `objects` become VT_DISPATCH and VT_UNKNOWN values; the first one is also the target
    // of the by-reference object values, and should be a picture.
    explicit VariantValues(const std::vector<NamedObject>& objects);
    VariantValues(const VariantValues&) = delete;
    VariantValues& operator=(const VariantValues&) = delete;
    ~VariantValues();

    const std::vector<NamedVariant>& all() const noexcept { return values_; }
    // The value called `name`; throws std::out_of_range when there is none.
    const VARIANT& operator[](const std::string& name) const;

private:
    struct Storage;
    std::unique_ptr<Storage> storage_;
    std::vector<NamedVariant> values_;
};

} // namespace cutshape::test
