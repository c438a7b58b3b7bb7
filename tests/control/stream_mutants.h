#pragma once
// Deterministic mutants of the control's saved stream: mutant i is the same bytes on every
// run and every build. Families: every bit of the header flipped, bits flipped at scattered
// places, truncations, extensions, the size fields of the picture and its bitmap set to
// extreme or nearly right values, and the picture's class identifier replaced.
//
// The valid stream this starts from is the control's tag, version and picture flag, then the
// picture as OleSaveToStream writes it (its class identifier, "lt\0\0", a byte count and the
// bitmap file), then the mask colour and the two Booleans.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cutshape::test {

class StreamMutants {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Throws std::runtime_error when `valid` is not laid out as above (with a bitmap file).
    explicit StreamMutants(Bytes valid);

    std::size_t count() const noexcept { return recipes_.size(); }
    const std::string& name(std::size_t index) const { return recipes_.at(index).name; }
    Bytes bytes(std::size_t index) const;

private:
    struct Recipe {
        std::string name;
        std::function<void(Bytes&)> apply;
    };
    Bytes valid_;
    std::vector<Recipe> recipes_;
};

} // namespace cutshape::test
