#include "msft_file.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace cutshape::typelib {
namespace {

constexpr std::int32_t kMagic = 0x5446534D; // "MSFT"
constexpr int kHeaderFields = 21;
constexpr std::int32_t kTypeInfoSize = 0x64; // 25 ints
constexpr std::int32_t kGuidEntrySize = 24;  // GUID, hreftype, next in hash bucket
constexpr std::int32_t kFuncRecordFixed = 24;
constexpr std::int32_t kParamSize = 12;
constexpr std::int32_t kHelpDllFlag = 0x100;

// Header field indexes.
enum : int {
    kHeaderPosGuid = 2,
    kHeaderVarFlags = 5,
    kHeaderTypeInfoCount = 8,
    kHeaderCustomData = 16,
    kHeaderDispatchPos = 19,
};

// Type info record field indexes.
enum : int {
    kTypeKind = 0,
    kMemOffset = 1,
    kElements = 6,
    kTypePosGuid = 11,
    kTypeFlags = 12,
    kTypeName = 13,
    kTypeVersion = 14,
    kTypeCustomData = 18,
    kImplTypesAndVft = 19,
    kDataType1 = 21,
};

std::int32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    if (offset + 4 > bytes.size())
        throw std::runtime_error("read past the end of a table");
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[offset]) |
                                     static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
                                     static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
                                     static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

void write32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int32_t value) {
    if (offset + 4 > bytes.size())
        throw std::runtime_error("write past the end of a table");
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void append32(std::vector<std::uint8_t>& bytes, std::int32_t value) {
    bytes.resize(bytes.size() + 4);
    write32(bytes, bytes.size() - 4, value);
}

std::size_t index(std::int32_t offset) {
    if (offset < 0)
        throw std::runtime_error("negative offset where a table offset was expected");
    return static_cast<std::size_t>(offset);
}

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

bool isLocalHref(std::int32_t href) {
    return href >= 0 && (href & 3) == 0;
}

} // namespace

MsftFile MsftFile::parse(std::vector<std::uint8_t> bytes) {
    MsftFile file;
    if (bytes.size() < 4 * kHeaderFields || read32(bytes, 0) != kMagic)
        throw std::runtime_error("not an MSFT type library");
    for (int i = 0; i < kHeaderFields; ++i)
        file.header_.push_back(read32(bytes, 4 * static_cast<std::size_t>(i)));
    std::size_t position = 4 * kHeaderFields;
    file.hasHelpDll_ = (file.headerField(kHeaderVarFlags) & kHelpDllFlag) != 0;
    if (file.hasHelpDll_) {
        file.helpDll_ = read32(bytes, position);
        position += 4;
    }
    const int count = file.headerField(kHeaderTypeInfoCount);
    if (count < 0 || count > 0xFFFF)
        throw std::runtime_error("implausible type info count");
    for (int i = 0; i < count; ++i, position += 4)
        if (read32(bytes, position) != i * kTypeInfoSize)
            throw std::runtime_error("type info offsets are not consecutive records");

    // Every byte must belong to one part: header, directory, a segment or a member block.
    std::vector<std::pair<std::size_t, std::size_t>> covered; // offset, length
    covered.emplace_back(0, position + 16 * kSegmentCount);
    for (int s = 0; s < kSegmentCount; ++s, position += 16) {
        const std::int32_t offset = read32(bytes, position);
        const std::int32_t length = read32(bytes, position + 4);
        if (offset == -1)
            continue;
        if (offset < 0 || length < 0 || index(offset) + index(length) > bytes.size())
            throw std::runtime_error("segment outside the file");
        file.segments_[s].originalOffset = offset;
        file.segments_[s].bytes.assign(bytes.begin() + offset, bytes.begin() + offset + length);
        covered.emplace_back(index(offset), index(length));
    }
    if (file.segments_[kTypeInfos].bytes.size() != index(count) * index(kTypeInfoSize))
        throw std::runtime_error("type info segment does not match the type info count");

    file.members_.resize(index(count));
    for (int t = 0; t < count; ++t) {
        const std::int32_t elements = file.typeInfoField(t, kElements);
        const std::int32_t memberCount = (elements & 0xFFFF) + ((elements >> 16) & 0xFFFF);
        if (memberCount == 0)
            continue;
        const std::int32_t offset = file.typeInfoField(t, kMemOffset);
        const std::size_t length =
            4 + index(read32(bytes, index(offset))) + 12 * index(memberCount);
        if (index(offset) + length > bytes.size())
            throw std::runtime_error("member block outside the file");
        file.members_[index(t)].assign(bytes.begin() + offset,
                                       bytes.begin() + offset + static_cast<long>(length));
        covered.emplace_back(index(offset), length);
    }
    std::sort(covered.begin(), covered.end());
    std::size_t end = 0;
    for (auto [offset, length] : covered) {
        if (offset != end)
            throw std::runtime_error("unaccounted or overlapping bytes at " +
                                     hex(static_cast<std::uint32_t>(end), 4));
        end = offset + length;
    }
    if (end != bytes.size())
        throw std::runtime_error("unaccounted bytes at the end of the file");
    return file;
}

std::vector<std::uint8_t> MsftFile::serialize() const {
    const int count = typeInfoCount();
    std::size_t position = 4 * (kHeaderFields + (hasHelpDll_ ? 1 : 0) + count) + 16 * kSegmentCount;

    // Segments keep their original relative order; member blocks follow in type order.
    std::vector<int> order;
    for (int s = 0; s < kSegmentCount; ++s)
        if (segments_[s].originalOffset != -1)
            order.push_back(s);
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return segments_[a].originalOffset < segments_[b].originalOffset;
    });
    std::int32_t offsets[kSegmentCount];
    std::fill(std::begin(offsets), std::end(offsets), -1);
    for (int s : order) {
        offsets[s] = static_cast<std::int32_t>(position);
        position += segments_[s].bytes.size();
    }
    std::vector<std::int32_t> memberOffsets(index(count));
    for (std::size_t t = 0; t < members_.size(); ++t) {
        memberOffsets[t] = static_cast<std::int32_t>(position);
        position += members_[t].size();
    }
    // A type without members points past the end of the file.
    for (std::size_t t = 0; t < members_.size(); ++t)
        if (members_[t].empty())
            memberOffsets[t] = static_cast<std::int32_t>(position);

    std::vector<std::uint8_t> out;
    out.reserve(position);
    for (std::int32_t field : header_)
        append32(out, field);
    if (hasHelpDll_)
        append32(out, helpDll_);
    for (int t = 0; t < count; ++t)
        append32(out, t * kTypeInfoSize);
    for (int s = 0; s < kSegmentCount; ++s) {
        append32(out, offsets[s]);
        append32(out, static_cast<std::int32_t>(segments_[s].bytes.size()));
        append32(out, -1);
        append32(out, 0x0F);
    }
    for (int s : order) {
        std::vector<std::uint8_t> bytes = segments_[s].bytes;
        if (s == kTypeInfos)
            for (int t = 0; t < count; ++t)
                write32(bytes, index(t * kTypeInfoSize + 4 * kMemOffset), memberOffsets[index(t)]);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    for (const auto& block : members_)
        out.insert(out.end(), block.begin(), block.end());
    return out;
}

std::int32_t MsftFile::headerField(int i) const {
    return header_.at(index(i));
}

void MsftFile::setHeaderField(int i, std::int32_t value) {
    header_.at(index(i)) = value;
}

std::int32_t MsftFile::typeInfoField(int type, int field) const {
    return read32(segments_[kTypeInfos].bytes, index(type * kTypeInfoSize + 4 * field));
}

void MsftFile::setTypeInfoField(int type, int field, std::int32_t value) {
    write32(segments_[kTypeInfos].bytes, index(type * kTypeInfoSize + 4 * field), value);
}

int MsftFile::typeInfoCount() const {
    return static_cast<int>(segments_[kTypeInfos].bytes.size() / kTypeInfoSize);
}

int MsftFile::findTypeInfo(const std::string& name) const {
    for (int t = 0; t < typeInfoCount(); ++t)
        if (nameAt(typeInfoField(t, kTypeName)) == name)
            return t;
    throw std::runtime_error("no type info named " + name);
}

std::string MsftFile::nameAt(std::int32_t offset) const {
    if (offset == -1)
        return "(none)";
    const auto& names = segments_[kNames].bytes;
    const std::size_t length = index(read32(names, index(offset) + 8) & 0xFF);
    const std::size_t start = index(offset) + 12;
    if (start + length > names.size())
        throw std::runtime_error("name outside the name table");
    return std::string(names.begin() + static_cast<long>(start),
                       names.begin() + static_cast<long>(start + length));
}

void MsftFile::stripCustomData() {
    // Only the library-level list may be present: anything else would point into the data
    // about to disappear.
    for (int t = 0; t < typeInfoCount(); ++t)
        if (typeInfoField(t, kTypeCustomData) != -1)
            throw std::runtime_error("type info with custom data");
    const auto& refs = segments_[kReferences].bytes;
    for (std::size_t at = 0; at + 16 <= refs.size(); at += 16)
        if (read32(refs, at + 8) != -1)
            throw std::runtime_error("implemented type with custom data");
    for (std::size_t t = 0; t < members_.size(); ++t) {
        const auto& block = members_[t];
        if (block.empty())
            continue;
        const std::int32_t elements = typeInfoField(static_cast<int>(t), kElements);
        if ((elements >> 16) != 0)
            throw std::runtime_error("variables are not supported");
        std::size_t at = 4;
        for (int f = 0; f < (elements & 0xFFFF); ++f) {
            const std::int32_t size = read32(block, at) & 0xFFFF;
            const std::int32_t args = read32(block, at + 20) & 0xFFFF;
            if (size != kFuncRecordFixed + kParamSize * args)
                throw std::runtime_error("function records with optional fields are not supported");
            at += index(size);
        }
    }

    // The GUIDs the custom data list names go; every other GUID moves down.
    const auto& list = segments_[kCustomDataGuids].bytes;
    std::vector<std::int32_t> removed;
    for (std::size_t at = 0; at + 12 <= list.size(); at += 12)
        removed.push_back(read32(list, at));
    auto& guids = segments_[kGuids].bytes;
    std::map<std::int32_t, std::int32_t> moved; // old offset -> new offset
    std::vector<std::uint8_t> kept;
    for (std::int32_t at = 0; index(at) < guids.size(); at += kGuidEntrySize) {
        if (std::find(removed.begin(), removed.end(), at) != removed.end())
            continue;
        moved[at] = static_cast<std::int32_t>(kept.size());
        kept.insert(kept.end(), guids.begin() + at, guids.begin() + at + kGuidEntrySize);
    }
    auto relocate = [&moved](std::int32_t offset) {
        if (offset == -1)
            return offset;
        auto found = moved.find(offset);
        if (found == moved.end())
            throw std::runtime_error("reference to a removed GUID");
        return found->second;
    };
    auto& hash = segments_[kGuidHash].bytes;
    for (std::size_t at = 0; at < hash.size(); at += 4) {
        // A bucket whose first entries were removed starts at the first kept one.
        std::int32_t head = read32(hash, at);
        while (head != -1 && !moved.contains(head))
            head = read32(guids, index(head) + 20);
        write32(hash, at, head == -1 ? -1 : relocate(head));
    }
    // Each kept entry's chain goes on at the next kept entry, found in the old table.
    for (auto [oldOffset, newOffset] : moved) {
        std::int32_t next = read32(guids, index(oldOffset) + 20);
        while (next != -1 && !moved.contains(next))
            next = read32(guids, index(next) + 20);
        write32(kept, index(newOffset) + 20, next == -1 ? -1 : moved.at(next));
    }

    setHeaderField(kHeaderPosGuid, relocate(headerField(kHeaderPosGuid)));
    for (int t = 0; t < typeInfoCount(); ++t)
        setTypeInfoField(t, kTypePosGuid, relocate(typeInfoField(t, kTypePosGuid)));
    auto& imports = segments_[kImportInfos].bytes;
    for (std::size_t at = 0; at + 12 <= imports.size(); at += 12)
        if (read32(imports, at) & 0x10000)
            write32(imports, at + 8, relocate(read32(imports, at + 8)));
    auto& files = segments_[kImportFiles].bytes;
    for (std::size_t at = 0; at + 14 <= files.size();) {
        write32(files, at, relocate(read32(files, at)));
        const std::size_t nameLength = (files[at + 12] | files[at + 13] << 8) >> 2;
        at += (14 + nameLength + 3) & ~std::size_t{3};
    }
    guids = std::move(kept);

    setHeaderField(kHeaderCustomData, -1);
    for (Segment s : {kCustomData, kCustomDataGuids}) {
        segments_[s].bytes.clear();
        segments_[s].originalOffset = -1;
    }
}

void MsftFile::reorderTypeInfos(const std::vector<std::string>& names) {
    const int count = typeInfoCount();
    if (static_cast<int>(names.size()) != count)
        throw std::runtime_error("the order must name every type info once");
    std::vector<int> oldOfNew;
    std::map<std::int32_t, std::int32_t> hrefs; // old local HREFTYPE -> new
    for (int t = 0; t < count; ++t) {
        const int old = findTypeInfo(names[index(t)]);
        if (std::find(oldOfNew.begin(), oldOfNew.end(), old) != oldOfNew.end())
            throw std::runtime_error("type info named twice: " + names[index(t)]);
        oldOfNew.push_back(old);
        hrefs[old * kTypeInfoSize] = t * kTypeInfoSize;
    }
    auto remap = [&hrefs](std::int32_t href) { return isLocalHref(href) ? hrefs.at(href) : href; };

    // Records, their index (high word of the kind) and their members move together.
    std::vector<std::uint8_t> records;
    std::vector<std::vector<std::uint8_t>> members;
    const auto& oldRecords = segments_[kTypeInfos].bytes;
    for (int t = 0; t < count; ++t) {
        const auto from = oldRecords.begin() + oldOfNew[index(t)] * kTypeInfoSize;
        records.insert(records.end(), from, from + kTypeInfoSize);
        members.push_back(members_[index(oldOfNew[index(t)])]);
    }
    segments_[kTypeInfos].bytes = std::move(records);
    members_ = std::move(members);
    for (int t = 0; t < count; ++t) {
        setTypeInfoField(t, kTypeKind, (typeInfoField(t, kTypeKind) & 0xFFFF) | t << 16);
        // Interfaces name their base by HREFTYPE; a class's field is a reference-table offset
        // and an alias's a type description, neither of which moves.
        const int kind = typeInfoField(t, kTypeKind) & 0xF;
        if (kind == 3 || kind == 4)
            setTypeInfoField(t, kDataType1, remap(typeInfoField(t, kDataType1)));
    }

    auto& guids = segments_[kGuids].bytes;
    for (std::size_t at = 0; at < guids.size(); at += kGuidEntrySize)
        write32(guids, at + 16, remap(read32(guids, at + 16)));
    auto& names_ = segments_[kNames].bytes;
    for (std::size_t at = 0; at < names_.size();) {
        write32(names_, at, remap(read32(names_, at)));
        at += (12 + (read32(names_, at + 8) & 0xFF) + 3) & ~std::size_t{3};
    }
    auto& refs = segments_[kReferences].bytes;
    for (std::size_t at = 0; at + 16 <= refs.size(); at += 16)
        write32(refs, at, remap(read32(refs, at)));
    auto& descs = segments_[kTypeDescs].bytes;
    for (std::size_t at = 0; at + 8 <= descs.size(); at += 8)
        if ((read32(descs, at) & 0x7FFF) == 29) // VT_USERDEFINED
            write32(descs, at + 4, remap(read32(descs, at + 4)));
    setHeaderField(kHeaderDispatchPos, remap(headerField(kHeaderDispatchPos)));
}

void MsftFile::setTypeAttributes(const std::string& name, std::uint16_t major, std::uint16_t minor,
                                 std::uint16_t flags) {
    const int type = findTypeInfo(name);
    setTypeInfoField(type, kTypeVersion, static_cast<std::int32_t>(major | minor << 16));
    setTypeInfoField(type, kTypeFlags, flags);
}

void MsftFile::setMissingDispatchBases() {
    for (int t = 0; t < typeInfoCount(); ++t) {
        const bool dispatch = (typeInfoField(t, kTypeKind) & 0xF) == 4;
        if (dispatch && (typeInfoField(t, kImplTypesAndVft) & 0xFFFF) == 1 &&
            typeInfoField(t, kDataType1) == -1) {
            if (headerField(kHeaderDispatchPos) == -1)
                throw std::runtime_error("the library does not reference IDispatch");
            setTypeInfoField(t, kDataType1, headerField(kHeaderDispatchPos));
        }
    }
}

} // namespace cutshape::typelib
