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
    kHeaderLcid = 3,
    kHeaderVarFlags = 5,
    kHeaderVersion = 6,
    kHeaderFlags = 7,
    kHeaderTypeInfoCount = 8,
    kHeaderHelpString = 9,
    kHeaderHelpStringContext = 10,
    kHeaderHelpContext = 11,
    kHeaderNameOffset = 14,
    kHeaderHelpFile = 15,
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
    kTypeDocString = 15,
    kTypeHelpStringContext = 16,
    kTypeHelpContext = 17,
    kTypeCustomData = 18,
    kImplTypesAndVft = 19,
    kTypeSize = 20,
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

const char* typeKindName(int kind) {
    static const char* const kNames[] = {"enum",     "record",  "module", "interface",
                                         "dispatch", "coclass", "alias",  "union"};
    return kind >= 0 && kind < 8 ? kNames[kind] : "unknown";
}

const char* syskindName(int syskind) {
    static const char* const kNames[] = {"win16", "win32", "mac", "win64"};
    return syskind >= 0 && syskind < 4 ? kNames[syskind] : "unknown";
}

std::string invokeKindName(int invkind) {
    switch (invkind) {
    case 1:
        return "func";
    case 2:
        return "propget";
    case 4:
        return "propput";
    case 8:
        return "propputref";
    }
    return "invkind " + std::to_string(invkind);
}

std::string callConvName(int callconv) {
    return callconv == 4 ? "stdcall" : "callconv " + std::to_string(callconv);
}

std::string paramFlagNames(std::int32_t flags) {
    static const std::pair<std::int32_t, const char*> kFlags[] = {
        {0x1, "in"},   {0x2, "out"},         {0x4, "lcid"},        {0x8, "retval"},
        {0x10, "opt"}, {0x20, "hasdefault"}, {0x40, "hascustdata"}};
    std::string text;
    for (auto [bit, name] : kFlags) {
        if (flags & bit) {
            if (!text.empty())
                text += ',';
            text += name;
        }
    }
    if (flags & ~0x7F) {
        if (!text.empty())
            text += ',';
        text += hex(static_cast<std::uint32_t>(flags & ~0x7F), 2);
    }
    return text.empty() ? "none" : text;
}

// Names of the simple variant types the automation types use.
std::string variantTypeName(int vt) {
    static const std::map<int, const char*> kNames = {
        {2, "short"},    {3, "long"},       {4, "float"},      {5, "double"}, {6, "currency"},
        {7, "date"},     {8, "BSTR"},       {9, "IDispatch*"}, {10, "SCODE"}, {11, "VARIANT_BOOL"},
        {12, "VARIANT"}, {13, "IUnknown*"}, {16, "char"},      {17, "byte"},  {18, "ushort"},
        {19, "ulong"},   {22, "int"},       {23, "uint"},      {24, "void"},  {25, "HRESULT"},
        {30, "LPSTR"},   {31, "LPWSTR"}};
    auto found = kNames.find(vt);
    return found != kNames.end() ? found->second : "vt " + std::to_string(vt);
}

} // namespace

MsftFile MsftFile::parse(std::vector<std::uint8_t> bytes) {
    MsftFile file;
    file.originalSize_ = bytes.size();
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

std::string MsftFile::stringAt(std::int32_t offset) const {
    const auto& strings = segments_[kStrings].bytes;
    if (index(offset) + 2 > strings.size())
        throw std::runtime_error("string outside the string table");
    const std::size_t length = strings[index(offset)] | std::size_t{strings[index(offset) + 1]}
                                                            << 8;
    const std::size_t start = index(offset) + 2;
    if (start + length > strings.size())
        throw std::runtime_error("string outside the string table");
    return std::string(strings.begin() + static_cast<long>(start),
                       strings.begin() + static_cast<long>(start + length));
}

std::string MsftFile::guidAt(std::int32_t offset) const {
    const auto& guids = segments_[kGuids].bytes;
    const std::size_t at = index(offset);
    if (at + 16 > guids.size())
        throw std::runtime_error("GUID outside the GUID table");
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<std::uint32_t>(read32(guids, at)), guids[at + 4] | guids[at + 5] << 8,
                  guids[at + 6] | guids[at + 7] << 8, guids[at + 8], guids[at + 9], guids[at + 10],
                  guids[at + 11], guids[at + 12], guids[at + 13], guids[at + 14], guids[at + 15]);
    return text;
}

std::string MsftFile::hrefName(std::int32_t href) const {
    if (isLocalHref(href)) {
        const int type = href / kTypeInfoSize;
        if (type >= typeInfoCount())
            throw std::runtime_error("reference to a missing type info");
        return nameAt(typeInfoField(type, kTypeName));
    }
    if (href >= 0 && (href & 3) == 1) {
        const auto& imports = segments_[kImportInfos].bytes;
        const std::size_t at = index(href & ~3);
        const std::int32_t flags = read32(imports, at);
        const std::int32_t file = read32(imports, at + 4);
        const std::int32_t guid = read32(imports, at + 8);
        const auto& files = segments_[kImportFiles].bytes;
        const std::size_t nameLength =
            (files[index(file) + 12] | files[index(file) + 13] << 8) >> 2;
        const std::string fileName(files.begin() + file + 14,
                                   files.begin() + file + 14 + static_cast<long>(nameLength));
        if (flags & 0x10000)
            return fileName + ":" + guidAt(guid);
        return fileName + ":#" + std::to_string(guid);
    }
    return "href " + hex(static_cast<std::uint32_t>(href), 8);
}

// A type is either inline (high bit set: the variant type in the low word) or the offset of
// an 8-byte entry in the type description table whose second int is the pointee (pointers
// and safe arrays, inline or an offset again) or the HREFTYPE (user-defined types).
std::string MsftFile::typeName(std::int32_t type) const {
    if (type < 0)
        return variantTypeName(type & 0x7FFF);
    const auto& descs = segments_[kTypeDescs].bytes;
    const std::int32_t kind = read32(descs, index(type));
    const std::int32_t target = read32(descs, index(type) + 4);
    switch (kind & 0x7FFF) {
    case 26: // VT_PTR
        return typeName(target) + "*";
    case 27: // VT_SAFEARRAY
        return "SAFEARRAY(" + typeName(target) + ")";
    case 29: // VT_USERDEFINED
        return hrefName(target);
    }
    return variantTypeName(kind & 0x7FFF);
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
    for (std::size_t at = 0; at < kept.size(); at += kGuidEntrySize)
        write32(kept, at + 20, relocate(read32(kept, at + 20)));
    auto& hash = segments_[kGuidHash].bytes;
    for (std::size_t at = 0; at < hash.size(); at += 4) {
        // A bucket whose first entries were removed starts at the first kept one.
        std::int32_t head = read32(hash, at);
        while (head != -1 && !moved.contains(head))
            head = read32(guids, index(head) + 20);
        write32(hash, at, head == -1 ? -1 : relocate(head));
    }
    for (std::size_t at = 0; at < kept.size(); at += kGuidEntrySize) {
        std::int32_t next = read32(kept, at + 20);
        write32(kept, at + 20, next); // already relocated; removed entries are skipped below
    }
    // Chains through removed entries: follow them in the old table.
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

std::string MsftFile::dumpMembers(int type) const {
    const auto& block = members_[index(type)];
    const std::int32_t elements = typeInfoField(type, kElements);
    const int functions = elements & 0xFFFF;
    const int variables = (elements >> 16) & 0xFFFF;
    std::string text;
    if (variables != 0)
        text += "  variables " + std::to_string(variables) + " (not described)\n";
    const std::size_t recordsEnd = 4 + index(read32(block, 0));
    const std::size_t total = index(functions + variables);
    std::size_t at = 4;
    for (int f = 0; f < functions; ++f) {
        const std::int32_t info = read32(block, at);
        const std::int32_t size = info & 0xFFFF;
        const std::int32_t returns = read32(block, at + 4);
        const std::int32_t flags = read32(block, at + 8);
        const std::int32_t vtable = read32(block, at + 12) & 0xFFFF;
        const std::int32_t fkccic = read32(block, at + 16);
        const std::int32_t args = read32(block, at + 20) & 0xFFFF;
        const std::int32_t optionalArgs = (read32(block, at + 20) >> 16) & 0xFFFF;
        const std::int32_t memid = read32(block, recordsEnd + 4 * index(f));
        const std::int32_t name = read32(block, recordsEnd + 4 * (total + index(f)));
        const std::int32_t optionalFields = (size - kFuncRecordFixed - kParamSize * args) / 4;
        text += "  function " + std::to_string(f) + " " + nameAt(name) + " memid " +
                hex(static_cast<std::uint32_t>(memid), 8) + " " +
                invokeKindName((fkccic >> 3) & 0xF) + " funckind " + std::to_string(fkccic & 7) +
                " " + callConvName((fkccic >> 8) & 0xF) + " other bits " +
                hex(static_cast<std::uint32_t>(fkccic & ~0xFFF), 4) + " vtable " +
                std::to_string(vtable) + " returns " + typeName(returns) + " funcflags " +
                hex(static_cast<std::uint32_t>(flags), 4) + " optional args " +
                std::to_string(optionalArgs) + " optional fields " +
                std::to_string(optionalFields) + "\n";
        std::size_t param = at + index(size) - kParamSize * index(args);
        for (int p = 0; p < args; ++p, param += kParamSize)
            text += "    param " + nameAt(read32(block, param + 4)) + " " +
                    typeName(read32(block, param)) + " " +
                    paramFlagNames(read32(block, param + 8)) + "\n";
        at += index(size);
    }
    return text;
}

std::string MsftFile::dump() const {
    std::string text;
    const std::int32_t version = headerField(kHeaderVersion);
    const std::int32_t helpString = headerField(kHeaderHelpString);
    const std::int32_t helpFile = headerField(kHeaderHelpFile);
    text += "file size " + std::to_string(originalSize_) + "\n";
    text += "library " + nameAt(headerField(kHeaderNameOffset)) + " " +
            guidAt(headerField(kHeaderPosGuid)) + " version " + std::to_string(version & 0xFFFF) +
            "." + std::to_string((version >> 16) & 0xFFFF) + " lcid " +
            hex(static_cast<std::uint32_t>(headerField(kHeaderLcid)), 4) + " syskind " +
            syskindName(headerField(kHeaderVarFlags) & 0xF) + " varflags " +
            hex(static_cast<std::uint32_t>(headerField(kHeaderVarFlags)), 4) + " flags " +
            hex(static_cast<std::uint32_t>(headerField(kHeaderFlags)), 2) + "\n";
    text += "  helpstring \"" + (helpString == -1 ? std::string() : stringAt(helpString)) +
            "\" helpfile " + (helpFile == -1 ? std::string("none") : stringAt(helpFile)) +
            " helpcontext " + std::to_string(headerField(kHeaderHelpContext)) +
            " helpstringcontext " + std::to_string(headerField(kHeaderHelpStringContext)) +
            " customdata " + (headerField(kHeaderCustomData) == -1 ? "none" : "present") + "\n";
    const auto& files = segments_[kImportFiles].bytes;
    for (std::size_t at = 0; at + 14 <= files.size();) {
        const std::size_t nameLength = (files[at + 12] | files[at + 13] << 8) >> 2;
        const std::int32_t fileVersion = read32(files, at + 8);
        text += "  import " +
                std::string(files.begin() + static_cast<long>(at + 14),
                            files.begin() + static_cast<long>(at + 14 + nameLength)) +
                " " + guidAt(read32(files, at)) + " version " +
                std::to_string(fileVersion & 0xFFFF) + "." +
                std::to_string((fileVersion >> 16) & 0xFFFF) + " lcid " +
                hex(static_cast<std::uint32_t>(read32(files, at + 4)), 4) + "\n";
        at += (14 + nameLength + 3) & ~std::size_t{3};
    }
    for (int t = 0; t < typeInfoCount(); ++t) {
        const std::int32_t kind = typeInfoField(t, kTypeKind);
        const std::int32_t typeVersion = typeInfoField(t, kTypeVersion);
        const std::int32_t elements = typeInfoField(t, kElements);
        const std::int32_t implAndVft = typeInfoField(t, kImplTypesAndVft);
        const std::int32_t datatype1 = typeInfoField(t, kDataType1);
        text += "type " + std::to_string(t) + " " + nameAt(typeInfoField(t, kTypeName)) + " " +
                typeKindName(kind & 0xF) + " " + guidAt(typeInfoField(t, kTypePosGuid)) +
                " version " + std::to_string(typeVersion & 0xFFFF) + "." +
                std::to_string((typeVersion >> 16) & 0xFFFF) + " flags " +
                hex(static_cast<std::uint32_t>(typeInfoField(t, kTypeFlags)), 4) + "\n";
        text += "  funcs " + std::to_string(elements & 0xFFFF) + " vars " +
                std::to_string((elements >> 16) & 0xFFFF) + " impltypes " +
                std::to_string(implAndVft & 0xFFFF) + " vtable size " +
                std::to_string((implAndVft >> 16) & 0xFFFF) + " instance size " +
                std::to_string(typeInfoField(t, kTypeSize)) + " alignment " +
                std::to_string((kind >> 11) & 0x1F) + " docstring " +
                (typeInfoField(t, kTypeDocString) == -1 ? "none" : "present") + " helpcontext " +
                std::to_string(typeInfoField(t, kTypeHelpContext)) + " customdata " +
                (typeInfoField(t, kTypeCustomData) == -1 ? "none" : "present") + "\n";
        switch (kind & 0xF) {
        case 3:
        case 4:
            if ((implAndVft & 0xFFFF) != 0)
                text += "  base " +
                        (datatype1 == -1 ? std::string("(none)") : hrefName(datatype1)) + "\n";
            break;
        case 5: {
            const auto& refs = segments_[kReferences].bytes;
            for (std::int32_t at = datatype1; at != -1; at = read32(refs, index(at) + 12))
                text += "  implements " + hrefName(read32(refs, index(at))) + " flags " +
                        hex(static_cast<std::uint32_t>(read32(refs, index(at) + 4)), 2) + "\n";
            break;
        }
        case 6:
            text += "  alias of " + typeName(datatype1) + "\n";
            break;
        }
        if (!members_[index(t)].empty())
            text += dumpMembers(t);
    }
    return text;
}

} // namespace cutshape::typelib
