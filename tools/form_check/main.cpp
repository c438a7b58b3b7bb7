// cutshape_form_check <form file>...
// Parses each form description as a program would at start-up and prints each mistake as
// `file:line: problem`, so a malformed description fails the build instead of the program.
// Exit code: 0 when every file is well formed, 1 when one is not, 2 when one cannot be read.

#include "forms/form_description.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: cutshape_form_check <form file>...\n";
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        std::ifstream in(path, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        if (!in.is_open() || in.bad()) {
            std::cerr << path << ": cannot be read\n";
            status = 2;
            continue;
        }
        try {
            cutshape::forms::parseFormDescription(text, path);
        } catch (const cutshape::forms::FormDescriptionError& error) {
            std::cerr << error.file() << ':' << error.line() << ": " << error.problem() << '\n';
            status = std::max(status, 1);
        }
    }
    return status;
}
