#include "tests/support/picture_decoders.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace cutshape::testing {

namespace {

using core::Color;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t u16At(std::span<const std::uint8_t> b, std::size_t at) {
    if (at + 2 > b.size())
        throw std::runtime_error("file ends inside a field");
    return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8);
}

} // namespace

DecodedGif decodeGif(std::span<const std::uint8_t> file) {
    DecodedGif gif;
    std::size_t at = 0;
    const auto byte = [&]() {
        if (at >= file.size())
            throw std::runtime_error("file ends early");
        return file[at++];
    };
    const auto word = [&]() {
        const std::uint32_t v = u16At(file, at);
        at += 2;
        return v;
    };
    if (file.size() < 6 || std::string(file.begin(), file.begin() + 6) != "GIF89a")
        throw std::runtime_error("no GIF89a signature");
    at = 6;
    gif.width = static_cast<std::int32_t>(word());
    gif.height = static_cast<std::int32_t>(word());
    const std::uint8_t screenFlags = byte();
    byte(); // background
    byte(); // aspect
    if ((screenFlags & 0x80) == 0)
        throw std::runtime_error("no global colour table");
    const std::size_t tableSize = std::size_t{2} << (screenFlags & 7);
    for (std::size_t i = 0; i < tableSize; ++i) {
        const Color r = byte();
        const Color g = byte();
        const Color b = byte();
        gif.palette.push_back(r | g << 8 | b << 16);
    }
    std::uint8_t block = byte();
    while (block == 0x21) {
        const std::uint8_t label = byte();
        const std::uint8_t size = byte();
        if (label != 0xF9 || size != 4)
            throw std::runtime_error("unexpected extension");
        const std::uint8_t flags = byte();
        word();
        const std::uint8_t index = byte();
        if ((flags & 1) != 0)
            gif.transparentIndex = index;
        if (byte() != 0)
            throw std::runtime_error("extension not terminated");
        block = byte();
    }
    if (block != 0x2C)
        throw std::runtime_error("no image descriptor");
    if (word() != 0 || word() != 0)
        throw std::runtime_error("image not at the origin");
    if (static_cast<std::int32_t>(word()) != gif.width ||
        static_cast<std::int32_t>(word()) != gif.height)
        throw std::runtime_error("image size differs from the screen");
    if (byte() != 0)
        throw std::runtime_error("local table or interlace");
    const int minCodeSize = byte();
    if (minCodeSize < 2 || minCodeSize > 8)
        throw std::runtime_error("bad minimum code size");

    Bytes data;
    for (std::uint8_t size = byte(); size != 0; size = byte()) {
        for (int i = 0; i < size; ++i)
            data.push_back(byte());
    }
    if (byte() != 0x3B || at != file.size())
        throw std::runtime_error("no trailer at the end");

    std::size_t bitPos = 0;
    const auto readCode = [&](int width) {
        std::uint32_t code = 0;
        for (int i = 0; i < width; ++i, ++bitPos) {
            if (bitPos / 8 >= data.size())
                throw std::runtime_error("data ended without an end code");
            code |= static_cast<std::uint32_t>((data[bitPos / 8] >> (bitPos % 8)) & 1) << i;
        }
        return code;
    };
    const std::uint32_t clearCode = 1u << minCodeSize;
    const std::uint32_t endCode = clearCode + 1;
    std::vector<Bytes> table;
    int codeSize = 0;
    std::optional<std::uint32_t> previous;
    const auto reset = [&]() {
        table.assign(clearCode + 2, Bytes{});
        for (std::uint32_t i = 0; i < clearCode; ++i)
            table[i] = Bytes{static_cast<std::uint8_t>(i)};
        codeSize = minCodeSize + 1;
        previous.reset();
    };
    reset();
    if (readCode(codeSize) != clearCode)
        throw std::runtime_error("data does not start with a clear code");
    ++gif.clearCodes;
    while (true) {
        gif.maxCodeSize = std::max(gif.maxCodeSize, codeSize);
        const std::uint32_t code = readCode(codeSize);
        if (code == clearCode) {
            reset();
            ++gif.clearCodes;
            continue;
        }
        if (code == endCode)
            break;
        Bytes entry;
        if (code < table.size() && !(code >= clearCode && code <= endCode)) {
            entry = table[code];
            if (previous) {
                Bytes added = table[*previous];
                added.push_back(entry[0]);
                table.push_back(added);
            }
        } else if (code == table.size() && previous) {
            entry = table[*previous];
            entry.push_back(entry[0]);
            table.push_back(entry);
        } else {
            throw std::runtime_error("code " + std::to_string(code) + " not in the table");
        }
        if (table.size() == (std::size_t{1} << codeSize) && codeSize < 12)
            ++codeSize;
        if (table.size() > 4096)
            throw std::runtime_error("table overflow");
        gif.indices.insert(gif.indices.end(), entry.begin(), entry.end());
        previous = code;
    }
    if ((bitPos + 7) / 8 != data.size())
        throw std::runtime_error("data continues after the end code");
    return gif;
}

} // namespace cutshape::testing
