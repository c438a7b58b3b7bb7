#include "tests/control/stored_forms.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace cutshape::test {
namespace {

runtime::Picture pictureOfText(const std::string& text) {
    if (text == "nothing" || text == "empty")
        return text == "empty" ? runtime::emptyPicture() : runtime::Picture();
    return runtime::pictureFromBytes(bytesOfHex(text), L"a stored picture");
}

} // namespace

const std::filesystem::path& storedFormsFolder() {
    static const std::filesystem::path folder = CUTSHAPE_GOLDEN_PERSISTENCE;
    return folder;
}

std::string storedFormFile(const std::string& name) {
    std::ifstream in(storedFormsFolder() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<StoredCase> storedCases() {
    std::istringstream in(storedFormFile("cases.txt"));
    std::vector<StoredCase> cases;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        StoredCase c;
        if (!line.starts_with('#') &&
            fields >> c.name >> c.picture >> c.maskColor >> c.showPicture >> c.automaticMaskColor)
            cases.push_back(c);
    }
    return cases;
}

StoredCase storedCase(const std::string& name) {
    for (const StoredCase& c : storedCases())
        if (c.name == name)
            return c;
    throw std::runtime_error("no stored case " + name + " in " +
                             (storedFormsFolder() / "cases.txt").string());
}

runtime::Picture storedPicture(const std::string& name) {
    return runtime::pictureFromBytes(bytesOf(storedFormFile(name)), L"a stored form's picture");
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> bytesOfHex(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    for (std::string byte; in >> byte;)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
    return bytes;
}

win::ComPtr<container::PropertyBag> bagOfText(const std::string& text,
                                              std::vector<runtime::Picture>& pictures) {
    auto bag = win::makeCom<container::PropertyBag>();
    std::istringstream lines(text);
    std::string key, value;
    VARIANT stored{};
    while (lines >> key >> stored.vt >> std::ws && std::getline(lines, value)) {
        stored.lVal = stored.vt == VT_DISPATCH ? 0 : std::stol(value);
        if (stored.vt == VT_BOOL)
            stored.boolVal = static_cast<VARIANT_BOOL>(stored.lVal);
        if (stored.vt == VT_DISPATCH) {
            pictures.push_back(pictureOfText(value));
            stored.pdispVal =
                pictures.back().isNothing() ? nullptr : pictures.back().dispatch().get();
        }
        bag->set(std::wstring(key.begin(), key.end()), stored);
    }
    return bag;
}

} // namespace cutshape::test
