// cutshape_form_check [--bundled <name>,<name>...] <form file>...
// Parses each form description as a program would at start-up and prints each mistake as
// `file:line: problem`, so a malformed description fails the build instead of the program.
// With --bundled, every file:<name> a description names must be one of the listed files
// the program bundles (compared as resource names are, ignoring ASCII case).
// Exit code: 0 when every file is well formed, 1 when one is not, 2 when one cannot be read
// or the command line is wrong.

#include "forms/form_description.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kMalformed = 1;
constexpr int kUnusable = 2;

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::vector<std::string> splitNames(const std::string& list) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos)
            end = list.size();
        if (end > at)
            names.push_back(lowerAscii(list.substr(at, end - at)));
        at = end + 1;
    }
    return names;
}

// The problems of one description, printed; its exit code.
int check(const std::string& path, const std::optional<std::vector<std::string>>& bundled) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    if (!in.is_open() || in.bad()) {
        std::cerr << path << ": cannot be read\n";
        return kUnusable;
    }
    try {
        const cutshape::forms::FormDescription form =
            cutshape::forms::parseFormDescription(text, path);
        int status = 0;
        if (bundled)
            for (const cutshape::forms::FileReference& file : form.files)
                if (std::find(bundled->begin(), bundled->end(), lowerAscii(file.name)) ==
                    bundled->end()) {
                    std::cerr << path << ':' << file.line << ": file:" << file.name
                              << " is not bundled with the program\n";
                    status = kMalformed;
                }
        return status;
    } catch (const cutshape::forms::FormDescriptionError& error) {
        std::cerr << error.file() << ':' << error.line() << ": " << error.problem() << '\n';
        return kMalformed;
    }
}

} // namespace

int main(int argc, char** argv) {
    std::optional<std::vector<std::string>> bundled;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--bundled" && i + 1 < argc)
            bundled = splitNames(argv[++i]);
        else
            paths.push_back(argument);
    }
    if (paths.empty()) {
        std::cerr << "usage: cutshape_form_check [--bundled <name>,<name>...] <form file>...\n";
        return kUnusable;
    }
    int status = 0;
    for (const std::string& path : paths)
        status = std::max(status, check(path, bundled));
    return status;
}
