#include "tests/control/stream_mutants.h"

#include "tests/control/control_harness.h"

#include <cstring>
#include <stdexcept>

namespace cutshape::test {
namespace {

constexpr std::size_t kClassOffset = 7;         // after the tag, the version, the picture flag
constexpr std::size_t kPictureHeader = 23;      // "lt\0\0", then the byte count
constexpr std::size_t kBitmap = 31;             // the bitmap file
constexpr std::size_t kTailSize = 8;            // mask colour and two Booleans
constexpr std::size_t kHeaderBitsFlipped = 128; // bytes whose every bit is flipped in turn

std::uint32_t read32(const StreamMutants::Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

template <class T>
void write(StreamMutants::Bytes& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
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
                SplitMix64 numbers(seed);
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
            SplitMix64 numbers(extra);
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
    static constexpr std::uint32_t kExtremes[] = {
        0, 1, 2, 3, 4, 8, 16, 24, 32, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (const Field& field : fields) {
        const std::uint32_t original =
            field.wide ? read32(v, field.offset)
                       : static_cast<std::uint32_t>(v[field.offset] | v[field.offset + 1] << 8);
        std::vector<std::uint32_t> values(std::begin(kExtremes), std::end(kExtremes));
        values.insert(values.end(),
                      {original + 1, original - 1, original * 2, original / 2, 0u - original});
        for (const std::uint32_t value : values)
            add(std::string(field.name) + " set to " + hexOf(value), [field, value](Bytes& b) {
                if (field.wide)
                    write(b, field.offset, value);
                else
                    write(b, field.offset, static_cast<std::uint16_t>(value));
            });
    }

    static constexpr GUID kStandardFont = {
        0x0BE35203, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
    static constexpr GUID kAllBitsSet = {
        0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    for (const auto& [name, identifier] : {std::pair{"no class", GUID{}},
                                           {"the standard font", kStandardFont},
                                           {"the control itself", kCutshapeClsid},
                                           {"IUnknown's identifier", IID_IUnknown},
                                           {"all bits set", kAllBitsSet}})
        add(std::string("picture class: ") + name,
            [identifier](Bytes& b) { std::memcpy(&b[kClassOffset], &identifier, 16); });
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

} // namespace cutshape::test
