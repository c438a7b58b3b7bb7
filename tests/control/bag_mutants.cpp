#include "tests/control/bag_mutants.h"

#include "control/stored_properties.h"
#include "tests/control/control_harness.h"
#include "tests/control/verbatim_bag.h"

namespace cutshape::test {
namespace {

constexpr int kRandomMutants = 1000;

// What a bag may answer for a key without delivering a value.
constexpr HRESULT kAnswers[] = {
    E_FAIL,    E_OUTOFMEMORY, E_UNEXPECTED, DISP_E_OVERFLOW, DISP_E_TYPEMISMATCH, STG_E_READFAULT,
    E_POINTER, E_INVALIDARG,  S_OK,         S_FALSE};

std::string keyName(std::size_t key) {
    const std::wstring name = storedKeys()[key];
    return std::string(name.begin(), name.end());
}

std::string describe(const KeyChange& change, const VariantValues& values) {
    switch (change.kind) {
    case KeyChange::Kind::Keep:
        return "kept";
    case KeyChange::Kind::Remove:
        return "left out";
    case KeyChange::Kind::Value:
        return values.all()[change.value].name;
    case KeyChange::Kind::Answer:
        return "answered " + hexOf(change.answer);
    }
    return {};
}

} // namespace

const std::vector<const wchar_t*>& storedKeys() {
    static const std::vector<const wchar_t*> keys = [] {
        std::vector<const wchar_t*> inReadOrder;
        for (const control::StoredProperty* row :
             control::inOrder(control::storedProperties(), &control::StoredProperty::readOrder))
            inReadOrder.push_back(row->key);
        return inReadOrder;
    }();
    return keys;
}

std::vector<BagMutant> bagMutants(const VariantValues& values) {
    // The container's bag stores references as the values they point to and refuses the
    // malformed ones; the verbatim bag keeps any value VariantCopy can copy.
    std::vector<std::size_t> copyable;
    std::vector<std::size_t> storable;
    for (std::size_t i = 0; i < values.all().size(); ++i) {
        if (!values.all()[i].copyable)
            continue;
        copyable.push_back(i);
        if (win::isSafeToFollow(values.all()[i].value))
            storable.push_back(i);
    }

    std::vector<BagMutant> mutants;
    auto add = [&](bool verbatim, KeyChanges keys) {
        BagMutant mutant{{}, verbatim, keys};
        mutant.name = verbatim ? "verbatim bag:" : "converting bag:";
        for (std::size_t key = 0; key < keys.size(); ++key)
            if (keys[key].kind != KeyChange::Kind::Keep)
                mutant.name += " " + keyName(key) + " " + describe(keys[key], values) + ";";
        mutants.push_back(std::move(mutant));
    };
    auto addOne = [&](bool verbatim, std::size_t key, KeyChange change) {
        KeyChanges keys(storedKeys().size());
        keys[key] = change;
        add(verbatim, keys);
    };

    for (const bool verbatim : {false, true}) {
        for (std::size_t key = 0; key < storedKeys().size(); ++key) {
            for (const std::size_t value : verbatim ? copyable : storable)
                addOne(verbatim, key, {KeyChange::Kind::Value, value, S_OK});
            addOne(verbatim, key, {KeyChange::Kind::Remove});
        }
        const KeyChanges none(storedKeys().size(), {KeyChange::Kind::Remove});
        add(verbatim, none);
    }
    for (std::size_t key = 0; key < storedKeys().size(); ++key)
        for (const HRESULT answer : kAnswers)
            addOne(true, key, {KeyChange::Kind::Answer, 0, answer});
    for (int seed = 0; seed < kRandomMutants; ++seed) {
        SplitMix64 numbers(static_cast<std::uint64_t>(seed));
        const bool verbatim = numbers.below(2) == 1;
        KeyChanges keys(storedKeys().size());
        for (KeyChange& change : keys) {
            const std::size_t roll = numbers.below(10);
            if (roll == 5 || (roll == 6 && !verbatim))
                change.kind = KeyChange::Kind::Remove;
            else if (roll == 6)
                change = {KeyChange::Kind::Answer, 0, kAnswers[numbers.below(std::size(kAnswers))]};
            else if (roll >= 7) {
                const std::vector<std::size_t>& choices = verbatim ? copyable : storable;
                change = {KeyChange::Kind::Value, choices[numbers.below(choices.size())], S_OK};
            }
        }
        add(verbatim, keys);
    }
    return mutants;
}

win::ComPtr<IPropertyBag> bagOf(const BagMutant& mutant, const container::PropertyBag& saved,
                                const VariantValues& values) {
    const auto verbatim = win::makeCom<VerbatimBag>();
    const auto converting = win::makeCom<container::PropertyBag>();
    for (std::size_t key = 0; key < storedKeys().size(); ++key) {
        const KeyChange& change = mutant.keys[key];
        const VARIANT* value = change.kind == KeyChange::Kind::Value
                                   ? &values.all()[change.value].value
                                   : saved.find(storedKeys()[key]);
        if (change.kind == KeyChange::Kind::Remove || !value)
            continue;
        if (change.kind == KeyChange::Kind::Answer && mutant.verbatim) {
            verbatim->answer(storedKeys()[key], change.answer);
            continue;
        }
        if (mutant.verbatim)
            verbatim->set(storedKeys()[key], *value);
        else
            converting->set(storedKeys()[key], *value);
    }
    if (mutant.verbatim)
        return win::ComPtr<IPropertyBag>(verbatim.get());
    return win::ComPtr<IPropertyBag>(converting.get());
}

} // namespace cutshape::test
