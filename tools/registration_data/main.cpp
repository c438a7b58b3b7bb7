// registration_data: prints what the control's registration table (control/registration_data.h)
// says, in the forms the build ships: installer registry rows and manifests.
//
//   registration_data wix-rows <architecture|shared> <win32|win64> <file id> <out.wxi>
//   registration_data control-manifest <x86|amd64> <version> <out.manifest>
//   registration_data program-manifest <x86|amd64> <version> <program name> <out.manifest>

#include "manifests.h"
#include "wix_rows.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace cutshape::registration_data;

// Writes only when the text changed, so that what depends on the file is not rebuilt.
void writeFile(const std::string& path, const std::string& text) {
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream old;
        old << in.rdbuf();
        if (in && old.str() == text)
            return;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

WixComponent componentNamed(const std::string& name) {
    if (name == "architecture")
        return WixComponent::Architecture;
    if (name == "shared")
        return WixComponent::Shared;
    throw std::runtime_error("the component is architecture or shared, not " + name);
}

int run(const std::vector<std::string>& args) {
    std::ostringstream text;
    if (args.size() == 5 && args[0] == "wix-rows") {
        writeWixRows(text, componentNamed(args[1]), args[2], args[3]);
    } else if (args.size() == 4 && args[0] == "control-manifest") {
        writeControlManifest(text, args[1], args[2]);
    } else if (args.size() == 5 && args[0] == "program-manifest") {
        writeProgramManifest(text, args[1], args[2], args[3]);
    } else {
        std::cerr << "usage: registration_data wix-rows <architecture|shared> <win32|win64> "
                     "<file id> <out.wxi>\n"
                     "       registration_data control-manifest <x86|amd64> <version> <out>\n"
                     "       registration_data program-manifest <x86|amd64> <version> <program> "
                     "<out>\n";
        return 2;
    }
    writeFile(args.back(), text.str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run({argv + 1, argv + argc});
    } catch (const std::exception& error) {
        std::cerr << "registration_data: " << error.what() << "\n";
        return 1;
    }
}
