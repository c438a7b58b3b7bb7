#include "tests/control/bag_mutants.h"

#include "tests/control/verbatim_bag.h"

#include <cstdio>

namespace cutshape::testing {
namespace {

constexpr int kRandomMutants = 1000;

// What a bag may answer for a key without delivering a value.
constexpr HRESULT kAnswers[] = {
    E_FAIL,    E_OUTOFMEMORY, E_UNEXPECTED, DISP_E_OVERFLOW, DISP_E_TYPEMISMATCH, STG_E_READFAULT,
    E_POINTER, E_INVALIDARG,  S_OK,         S_FALSE};

// splitmix64: the same numbers on every platform.
class Numbers {
public:
    explicit Numbers(std::uint64_t seed) : state_(seed) {}
    std::size_t below(std::size_t limit) {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::size_t>((z ^ (z >> 31)) % limit);
    }

private:
    std::uint64_t state_;
};

std::string keyName(std::size_t key) {
    const std::wstring name = kStoredKeys[key];
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
    case KeyChange::Kind::Answer: {
        char text[40];
        std::snprintf(text, sizeof text, "answered 0x%08lX",
                      static_cast<unsigned long>(change.answer));
        return text;
    }
    }
    return {};
}

} // namespace

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
    auto add = [&](bool verbatim, std::array<KeyChange, kStoredKeys.size()> keys) {
        BagMutant mutant{{}, verbatim, keys};
        mutant.name = verbatim ? "verbatim bag:" : "converting bag:";
        for (std::size_t key = 0; key < keys.size(); ++key)
            if (keys[key].kind != KeyChange::Kind::Keep)
                mutant.name.append(" ")
                    .append(keyName(key))
                    .append(" ")
                    .append(describe(keys[key], values))
                    .append(";");
        mutants.push_back(std::move(mutant));
    };

    for (const bool verbatim : {false, true}) {
        for (std::size_t key = 0; key < kStoredKeys.size(); ++key) {
            for (const std::size_t value : verbatim ? copyable : storable) {
                std::array<KeyChange, kStoredKeys.size()> keys{};
                keys[key] = {KeyChange::Kind::Value, value, S_OK};
                add(verbatim, keys);
            }
            std::array<KeyChange, kStoredKeys.size()> keys{};
            keys[key].kind = KeyChange::Kind::Remove;
            add(verbatim, keys);
        }
        std::array<KeyChange, kStoredKeys.size()> none{};
        for (KeyChange& change : none)
            change.kind = KeyChange::Kind::Remove;
        add(verbatim, none);
    }
    for (std::size_t key = 0; key < kStoredKeys.size(); ++key)
        for (const HRESULT answer : kAnswers) {
            std::array<KeyChange, kStoredKeys.size()> keys{};
            keys[key] = {KeyChange::Kind::Answer, 0, answer};
            add(true, keys);
        }
    for (int seed = 0; seed < kRandomMutants; ++seed) {
        Numbers numbers(static_cast<std::uint64_t>(seed));
        const bool verbatim = numbers.below(2) == 1;
        std::array<KeyChange, kStoredKeys.size()> keys{};
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
    for (std::size_t key = 0; key < kStoredKeys.size(); ++key) {
        const KeyChange& change = mutant.keys[key];
        const VARIANT* value = change.kind == KeyChange::Kind::Value
                                   ? &values.all()[change.value].value
                                   : saved.find(kStoredKeys[key]);
        if (change.kind == KeyChange::Kind::Remove || !value)
            continue;
        if (change.kind == KeyChange::Kind::Answer && mutant.verbatim) {
            verbatim->answer(kStoredKeys[key], change.answer);
            continue;
        }
        if (mutant.verbatim)
            verbatim->set(kStoredKeys[key], *value);
        else
            converting->set(kStoredKeys[key], *value);
    }
    if (mutant.verbatim)
        return win::ComPtr<IPropertyBag>(verbatim.get());
    return win::ComPtr<IPropertyBag>(converting.get());
}

} // namespace cutshape::testing
