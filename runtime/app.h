#pragma once
// The runtime's App object for one module (a program or a library): the folder it was
// loaded from, its title and its version, as the module's version block states them.

#include <string>
#include <windows.h>

namespace cutshape::runtime {

class App {
public:
    // Reads the module's file name and version block now; throws Error when the module's
    // file name cannot be read.
    explicit App(HMODULE module);

    // The module's folder, without a trailing backslash.
    const std::wstring& path() const noexcept { return path_; }
    // The version block's product name; the file name without its extension when the
    // module has no such block.
    const std::wstring& title() const noexcept { return title_; }
    // The file version's first, second and fourth fields (0 without a version block). The
    // runtime's versions have three parts and keep the revision in the fourth field.
    int major() const noexcept { return major_; }
    int minor() const noexcept { return minor_; }
    int revision() const noexcept { return revision_; }

private:
    std::wstring path_;
    std::wstring title_;
    int major_ = 0;
    int minor_ = 0;
    int revision_ = 0;
};

} // namespace cutshape::runtime
