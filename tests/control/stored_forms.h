#pragma once
// The stored forms of golden/persistence: what earlier builds of the control saved for each
// case of cases.txt, as a stream (<case>.stream.hex) and as property sets without and with
// the values equal to their defaults (<case>.bag.txt, <case>.bag-all.txt: a key a line in
// write order, its VARTYPE and value; a picture as "nothing", "empty" or its file in hex).

#include "container/property_bag.h"
#include "runtime/picture.h"
#include "win/com_ptr.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cutshape::test {

// One line of cases.txt: the properties a control reads back from that case's forms
// (Booleans as VARIANT_BOOL).
struct StoredCase {
    std::string name;
    std::string picture; // a picture file beside cases.txt, or "empty"
    LONG maskColor = 0;
    VARIANT_BOOL showPicture = 0;
    VARIANT_BOOL automaticMaskColor = 0;
};

const std::filesystem::path& storedFormsFolder();
// A file of the folder, whole; empty when it cannot be read.
std::string storedFormFile(const std::string& name);
std::vector<StoredCase> storedCases();
// Throws std::runtime_error for a case that cases.txt does not list.
StoredCase storedCase(const std::string& name);

// A picture file of the folder, loaded.
runtime::Picture storedPicture(const std::string& name);

std::vector<std::uint8_t> bytesOf(const std::string& text);
std::vector<std::uint8_t> bytesOfHex(const std::string& text);
// The container's bag with the values of a property set's text; `pictures` keeps its
// pictures alive.
win::ComPtr<container::PropertyBag> bagOfText(const std::string& text,
                                              std::vector<runtime::Picture>& pictures);

} // namespace cutshape::test
