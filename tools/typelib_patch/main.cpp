// typelib_patch: turns the type library the IDL compiler wrote into the library's exact,
// reproducible form.
//
//   typelib_patch patch <in.tlb> <out.tlb> --order <name>,<name>,...
//                       [--type <name> <major>.<minor> <flags>]...
//
// The patch strips the library's custom data (the compiler's version text and time stamp),
// gives a dispinterface without a base IDispatch as its base, puts the type infos into the
// given order and sets the given types' versions and flags: all things the IDL compiler
// cannot express.

#include "msft_file.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> split(const std::string& list) {
    std::vector<std::string> items;
    std::stringstream stream(list);
    for (std::string item; std::getline(stream, item, ',');)
        items.push_back(item);
    return items;
}

std::uint16_t number16(const std::string& text) {
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 0);
    if (used != text.size() || value > 0xFFFF)
        throw std::runtime_error("not a 16-bit number: " + text);
    return static_cast<std::uint16_t>(value);
}

int run(int argc, char** argv) {
    using cutshape::typelib::MsftFile;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 3 || args[0] != "patch")
        throw std::runtime_error("usage: typelib_patch patch <in> <out> --order a,b,... "
                                 "[--type name major.minor flags]...");
    MsftFile file = MsftFile::parse(readFile(args[1]));
    file.stripCustomData();
    file.setMissingDispatchBases();
    for (std::size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--order" && i + 1 < args.size()) {
            file.reorderTypeInfos(split(args[++i]));
        } else if (args[i] == "--type" && i + 3 < args.size()) {
            const std::string& version = args[i + 2];
            const std::size_t dot = version.find('.');
            if (dot == std::string::npos)
                throw std::runtime_error("version must be major.minor: " + version);
            file.setTypeAttributes(args[i + 1], number16(version.substr(0, dot)),
                                   number16(version.substr(dot + 1)), number16(args[i + 3]));
            i += 3;
        } else {
            throw std::runtime_error("unknown argument " + args[i]);
        }
    }
    // Reading the result back checks that the layout is consistent.
    const std::vector<std::uint8_t> bytes = file.serialize();
    MsftFile::parse(bytes);
    writeFile(args[2], bytes);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "typelib_patch: " << error.what() << "\n";
        return EXIT_FAILURE;
    }
}
