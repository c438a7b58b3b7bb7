#include "tests/control/stream_mutants.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace cutshape::testing {
namespace {

constexpr std::size_t kClassOffset = 7;         // after the tag, the version, the picture flag
constexpr std::size_t kPictureHeader = 23;      // "lt\0\0", then the byte count
constexpr std::size_t kBitmap = 31;             // the bitmap file
constexpr std::size_t kTailSize = 8;            // mask colour and two Booleans
constexpr std::size_t kHeaderBitsFlipped = 128; // bytes whose every bit is flipped in turn

// A small deterministic generator (splitmix64): the same numbers on every platform.
class Numbers {
public:
    explicit Numbers(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t limit) { return static_cast<std::size_t>(next() % limit); }

private:
    std::uint64_t state_;
};

std::uint32_t read32(const StreamMutants::Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

template <class T>
void write(StreamMutants::Bytes& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

StreamMutants::StreamMutants(Bytes valid) : valid_(std::move(valid)) {
    const Bytes& v = valid_;
    if (v.size() < kBitmap + 54 + kTailSize || std::memcmp(&v[kPictureHeader], "lt\0\0", 4) != 0 ||
        v[kBitmap] != 'B' || v[kBitmap + 1] != 'M' ||
        kBitmap + read32(v, kPictureHeader + 4) + kTailSize != v.size())
        throw std::runtime_error("the saved stream is not laid out as expected");

    auto add = [this](std::string name, std::function<void(Bytes&)> apply) {
        recipes_.push_back({std::move(name), std::move(apply)});
    };

    for (std::size_t bit = 0; bit < kHeaderBitsFlipped * 8; ++bit)
        add("bit " + std::to_string(bit) + " flipped",
            [bit](Bytes& b) { b[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8)); });

    const std::size_t size = v.size();
    for (std::uint64_t seed = 0; seed < 900; ++seed) {
        const int flips = seed < 600 ? 1 : 8;
        add(std::to_string(flips) + " scattered bits flipped, seed " + std::to_string(seed),
            [seed, flips, size](Bytes& b) {
                Numbers numbers(seed);
                for (int flip = 0; flip < flips; ++flip)
                    b[numbers.below(size)] ^= static_cast<std::uint8_t>(1u << numbers.below(8));
            });
    }

    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= kBitmap + 64; ++length)
        lengths.push_back(length);
    for (std::size_t length = kBitmap + 64; length < size - 16; length += 97)
        lengths.push_back(length);
    for (std::size_t length = size - 16; length < size; ++length)
        lengths.push_back(length);
    for (const std::size_t length : lengths)
        add("cut to " + std::to_string(length) + " bytes",
            [length](Bytes& b) { b.resize(length); });

    for (const std::size_t extra : {1u, 2u, 3u, 7u, 8u, 64u, 4096u}) {
        add(std::to_string(extra) + " zero bytes added",
            [extra](Bytes& b) { b.insert(b.end(), extra, 0x00); });
        add(std::to_string(extra) + " 0xFF bytes added",
            [extra](Bytes& b) { b.insert(b.end(), extra, 0xFF); });
        add(std::to_string(extra) + " noise bytes added", [extra](Bytes& b) {
            Numbers numbers(extra);
            for (std::size_t i = 0; i < extra; ++i)
                b.push_back(static_cast<std::uint8_t>(numbers.next()));
        });
    }

    struct Field {
        const char* name;
        std::size_t offset;
        bool wide; // 32 bits, else 16
    };
    const Field fields[] = {
        {"picture byte count", kPictureHeader + 4, true},
        {"bfSize", kBitmap + 2, true},
        {"bfOffBits", kBitmap + 10, true},
        {"biSize", kBitmap + 14, true},
        {"biWidth", kBitmap + 18, true},
        {"biHeight", kBitmap + 22, true},
        {"biPlanes", kBitmap + 26, false},
        {"biBitCount", kBitmap + 28, false},
        {"biCompression", kBitmap + 30, true},
        {"biSizeImage", kBitmap + 34, true},
        {"biClrUsed", kBitmap + 46, true},
    };
    for (const Field& field : fields) {
        const std::uint32_t original =
            field.wide ? read32(v, field.offset)
                       : static_cast<std::uint32_t>(v[field.offset] | v[field.offset + 1] << 8);
        const std::uint32_t values[] = {0,
                                        1,
                                        2,
                                        3,
                                        4,
                                        8,
                                        16,
                                        24,
                                        32,
                                        0x8000,
                                        0xFFFF,
                                        0x10000,
                                        0x7FFFFFFF,
                                        0x80000000,
                                        0xFFFFFFFF,
                                        original + 1,
                                        original - 1,
                                        original * 2,
                                        original / 2,
                                        0u - original};
        for (const std::uint32_t value : values) {
            const Field f = field;
            add(std::string(field.name) + " set to " + hex(value), [f, value](Bytes& b) {
                if (f.wide)
                    write(b, f.offset, value);
                else
                    write(b, f.offset, static_cast<std::uint16_t>(value));
            });
        }
    }

    struct Identifier {
        const char* name;
        std::uint8_t bytes[16];
    };
    static constexpr Identifier kClasses[] = {
        {"no class", {}},
        {"the standard font",
         {0x03, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11, 0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8,
          0x51}},
        {"the control itself",
         {0xFA, 0xA9, 0xD0, 0x1C, 0x57, 0x0E, 0x7D, 0x48, 0xAF, 0x64, 0x51, 0x0C, 0x36, 0xE1, 0xCD,
          0x92}},
        {"IUnknown's identifier",
         {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
          0x46}},
        {"all bits set",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
          0xFF}},
    };
    for (const Identifier& identifier : kClasses)
        add(std::string("picture class: ") + identifier.name,
            [&identifier](Bytes& b) { std::memcpy(&b[kClassOffset], identifier.bytes, 16); });
    for (const std::uint8_t flag : {std::uint8_t{0}, std::uint8_t{2}, std::uint8_t{0xFF}})
        add("picture flag " + std::to_string(flag), [flag](Bytes& b) { b[6] = flag; });
    for (const std::uint16_t version : {std::uint16_t{0}, std::uint16_t{2}, std::uint16_t{0xFFFF}})
        add("version " + std::to_string(version), [version](Bytes& b) { write(b, 4, version); });
    add("without the picture", [](Bytes& b) {
        b[6] = 0;
        b.erase(b.begin() + kClassOffset, b.end() - kTailSize);
    });
    add("the picture twice", [](Bytes& b) {
        const Bytes picture(b.begin() + kClassOffset, b.end() - kTailSize);
        b.insert(b.end() - kTailSize, picture.begin(), picture.end());
    });
}

StreamMutants::Bytes StreamMutants::bytes(std::size_t index) const {
    Bytes mutant = valid_;
    recipes_.at(index).apply(mutant);
    return mutant;
}

} // namespace cutshape::testing
