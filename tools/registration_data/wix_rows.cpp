#include "wix_rows.h"

#include "control/registration_data.h"
#include "xml_text.h"

namespace cutshape::registration_data {
namespace {

namespace data = control::registration;
using data::Part;

bool belongsTo(Part part, WixComponent component) {
    const bool shared = part == Part::ProgId || part == Part::TypeLibrary;
    return shared == (component == WixComponent::Shared);
}

std::string expand(std::string_view text, const std::string& platform, const std::string& fileId) {
    std::string result;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with(data::kLibraryPath)) {
            result += "[#" + fileId + "]";
            at += data::kLibraryPath.size();
        } else if (text.substr(at).starts_with(data::kPlatform)) {
            result += platform;
            at += data::kPlatform.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

} // namespace

void writeWixRows(std::ostream& out, WixComponent component, const std::string& platform,
                  const std::string& fileId) {
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<!-- Generated from control/registration_data.h by registration_data. -->\n"
        << "<Include>\n";
    bool keyPathGiven = false;
    for (const data::Row& row : data::kRows) {
        if (!belongsTo(row.part, component))
            continue;
        out << "  <RegistryValue Root=\"HKCR\" Key=\""
            << xmlAttribute(expand(row.key, platform, fileId)) << "\"";
        // A key without a value: the installer's "*" row creates it and removes it again.
        if (row.keyOnly)
            out << " Name=\"*\" Value=\"\"";
        else {
            if (!row.name.empty())
                out << " Name=\"" << xmlAttribute(row.name) << "\"";
            // An empty value is the installer's null, written as an empty string.
            out << " Value=\"" << xmlAttribute(expand(row.data, platform, fileId)) << "\"";
        }
        out << " Type=\"string\"";
        // The shared component holds no file: its first value tells the installer whether
        // the component is present.
        if (component == WixComponent::Shared && !keyPathGiven && !row.keyOnly) {
            out << " KeyPath=\"yes\"";
            keyPathGiven = true;
        }
        out << "/>\n";
    }
    out << "</Include>\n";
}

} // namespace cutshape::registration_data
