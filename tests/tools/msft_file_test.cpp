// The type-library patch on a small library laid out by hand: the header, the segment
// directory, a GUID hash bucket, the GUID table and the library's custom data, every field a
// little-endian 32-bit word.

#include "tools/typelib_patch/msft_file.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace cutshape::typelib {
namespace {

using Words = std::vector<std::int32_t>;
constexpr std::size_t kDirectory = 21; // the header's words; no type infos follow them

std::vector<std::uint8_t> bytesOf(const Words& words) {
    std::vector<std::uint8_t> bytes;
    for (const std::int32_t word : words) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(word) >> 8 * i));
    }
    return bytes;
}

Words wordsOf(const std::vector<std::uint8_t>& bytes) {
    Words words(bytes.size() / 4);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        words[i / 4] = static_cast<std::int32_t>(static_cast<std::uint32_t>(words[i / 4]) |
                                                 std::uint32_t{bytes[i]} << 8 * (i % 4));
    return words;
}

Words segmentOf(const Words& file, int segment) {
    const std::int32_t offset = file.at(kDirectory + 4 * static_cast<std::size_t>(segment));
    const std::int32_t length = file.at(kDirectory + 4 * static_cast<std::size_t>(segment) + 1);
    return offset == -1 ? Words{}
                        : Words(file.begin() + offset / 4, file.begin() + (offset + length) / 4);
}

// A library whose one hash bucket chains its own GUID (offset 48) through the custom data's
// GUID (24) to another GUID (0). A GUID entry is the GUID (one word set here), the HREFTYPE
// and the next entry of its bucket.
std::vector<std::uint8_t> libraryWithCustomDataGuidInAChain() {
    const std::map<int, Words> segments = {
        {kGuidHash, {48}},
        {kGuids, {0xA0, 0, 0, 0, -1, -1, 0xC0, 0, 0, 0, -1, 0, 0x1B, 0, 0, 0, -2, 24}},
        {kCustomData, {8, 0}},          // an empty string
        {kCustomDataGuids, {24, 0, -1}} // its GUID, its data, no next item
    };
    Words file(kDirectory, 0);
    file[0] = 0x5446534D; // "MSFT"
    file[2] = 48;         // the library's GUID
    file[5] = 0x43;       // 64-bit, no help library
    file[19] = -1;        // no reference to IDispatch
    std::int32_t offset = 4 * (static_cast<std::int32_t>(kDirectory) + 4 * kSegmentCount);
    for (int s = 0; s < kSegmentCount; ++s) {
        const auto found = segments.find(s);
        const auto length =
            found == segments.end() ? 0 : 4 * static_cast<std::int32_t>(found->second.size());
        file.insert(file.end(), {length ? offset : -1, length, -1, 0x0F});
        offset += length;
    }
    for (const auto& [segment, words] : segments)
        file.insert(file.end(), words.begin(), words.end());
    return bytesOf(file);
}

// Fault: a GUID whose hash chain led through a removed GUID made the patch stop with
// "reference to a removed GUID" before the chain was joined up again.
TEST(MsftFile, StripCustomDataJoinsAHashChainAroundTheRemovedGuid) {
    MsftFile library = MsftFile::parse(libraryWithCustomDataGuidInAChain());
    library.stripCustomData();
    const std::vector<std::uint8_t> patched = library.serialize();
    ASSERT_NO_THROW(MsftFile::parse(patched));

    const Words file = wordsOf(patched);
    EXPECT_EQ(segmentOf(file, kGuids), (Words{0xA0, 0, 0, 0, -1, -1, 0x1B, 0, 0, 0, -2, 0}))
        << "the library's GUID moved down and chains to the entry after the removed one";
    EXPECT_EQ(segmentOf(file, kGuidHash), Words{24});
    EXPECT_EQ(file[2], 24) << "the header names the library's GUID where it is now";
    EXPECT_EQ(file[16], -1) << "no library custom data";
    EXPECT_TRUE(segmentOf(file, kCustomData).empty());
    EXPECT_TRUE(segmentOf(file, kCustomDataGuids).empty());
}

} // namespace
} // namespace cutshape::typelib
