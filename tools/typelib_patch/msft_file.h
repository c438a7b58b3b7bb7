#pragma once
// Reads, edits and writes type libraries in the "MSFT" file format, as the IDL compiler
// writes them, so that the build can reach an exact, reproducible library.
//
// The file is a header, an array of type-info offsets, a directory of fifteen segments, the
// segments themselves and, after them, one member block per type info that has members.
// Records refer to each other through offsets into the segments (names, strings, GUIDs,
// type descriptions) and through HREFTYPEs: a multiple of 0x64 is the offset of a type info
// record in the first segment (so it encodes the type info's index); a value with the low
// bit set is the offset of an import record. Only the GUID table is ever shrunk and only the
// type-info order changes, so those are the only references that get renumbered.

#include <cstdint>
#include <string>
#include <vector>

namespace cutshape::typelib {

// The segments in directory order.
enum Segment : int {
    kTypeInfos,
    kImportInfos,
    kImportFiles,
    kReferences,
    kGuidHash,
    kGuids,
    kNameHash,
    kNames,
    kStrings,
    kTypeDescs,
    kArrayDescs,
    kCustomData,
    kCustomDataGuids,
    kReserved0E,
    kReserved0F,
    kSegmentCount
};

class MsftFile {
public:
    // Parses and validates the file: every byte must belong to exactly one known part.
    // Throws std::runtime_error on anything it cannot account for.
    static MsftFile parse(std::vector<std::uint8_t> bytes);

    // Lays the parts out again (header, segments in their original order, member blocks in
    // type-info order) and returns the file.
    std::vector<std::uint8_t> serialize() const;

    // Removes the library's custom data (the compiler's version text, version number and time
    // stamp) together with the GUID entries that only the custom data used.
    void stripCustomData();

    // Puts the type infos into the order of `names` (every type info named exactly once).
    void reorderTypeInfos(const std::vector<std::string>& names);

    // Sets the stored version (major.minor) and type flags of the named type info.
    void setTypeAttributes(const std::string& name, std::uint16_t major, std::uint16_t minor,
                           std::uint16_t flags);

    // A dispatch interface stored without a base (cImplTypes 1, base -1) gets IDispatch,
    // as every dispinterface derives from it.
    void setMissingDispatchBases();

private:
    struct Part {
        std::vector<std::uint8_t> bytes;
        std::int32_t originalOffset = -1; // -1: absent
    };

    std::int32_t headerField(int index) const;
    void setHeaderField(int index, std::int32_t value);
    std::int32_t typeInfoField(int type, int field) const;
    void setTypeInfoField(int type, int field, std::int32_t value);
    int typeInfoCount() const;
    int findTypeInfo(const std::string& name) const;
    std::string nameAt(std::int32_t offset) const;

    std::vector<std::int32_t> header_; // the 21 fixed header fields
    bool hasHelpDll_ = false;          // varflags 0x100: one more int after the header
    std::int32_t helpDll_ = -1;
    Part segments_[kSegmentCount];
    std::vector<std::vector<std::uint8_t>> members_; // per type info; empty when none
};

} // namespace cutshape::typelib
