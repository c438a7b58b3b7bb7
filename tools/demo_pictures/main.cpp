// demo_pictures <output folder>: draws the demo programs' pictures, bitmaps and cursor into
// the folder (created when missing). Runs on the build machine during every build.

#include "tools/demo_pictures/demo_pictures.h"

#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: demo_pictures <output folder>\n";
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        cutshape::demo_pictures::writeDemoFiles(folder);
    } catch (const std::exception& error) {
        std::cerr << "demo_pictures: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
