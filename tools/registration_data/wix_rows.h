#pragma once
// The registration rows as installer registry entries: a WiX include file of RegistryValue
// elements, for one component of the installer.

#include <ostream>
#include <string>

namespace cutshape::registration_data {

// Which component the rows are for.
enum class WixComponent {
    Architecture, // class key, type-library file entry, interfaces: in the package's own view
    Shared        // programmatic identifier and type-library key: shared by both views
};

// `platform` is win32 or win64; `fileId` the installer's identifier of Cutshape.ocx, whose
// installed path replaces the library placeholder.
void writeWixRows(std::ostream& out, WixComponent component, const std::string& platform,
                  const std::string& fileId);

} // namespace cutshape::registration_data
