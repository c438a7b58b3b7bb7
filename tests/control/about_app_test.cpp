// The runtime's App values of a module: those of Cutshape.ocx, which the About box shows,
// against the project's version as the build states it, and those of a module without a
// version block.

#include "runtime/app.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

using cutshape::runtime::App;

std::wstring windowsPath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"Z:" + path;
}

TEST(App, LibraryValuesComeFromItsVersionBlock) {
    const std::wstring library = windowsPath(CUTSHAPE_OCX_FILE);
    const HMODULE module = ::LoadLibraryW(library.c_str());
    ASSERT_NE(module, nullptr);
    const App app(module);
    EXPECT_EQ(app.title(), L"Cutshape");
    EXPECT_EQ(app.major(), CUTSHAPE_VERSION_MAJOR);
    EXPECT_EQ(app.minor(), CUTSHAPE_VERSION_MINOR);
    EXPECT_EQ(app.revision(), CUTSHAPE_VERSION_PATCH);
    EXPECT_EQ(_wcsicmp(app.path().c_str(), library.substr(0, library.find_last_of(L'\\')).c_str()),
              0);
    ::FreeLibrary(module);
}

TEST(App, ModuleWithoutVersionBlockIsTitledByItsFileName) {
    const App app(::GetModuleHandleW(nullptr));
    EXPECT_EQ(_wcsicmp(app.title().c_str(), L"control_about_app_test"), 0);
    EXPECT_EQ(app.major(), 0);
    EXPECT_EQ(app.minor(), 0);
    EXPECT_EQ(app.revision(), 0);
    ASSERT_FALSE(app.path().empty());
    EXPECT_NE(app.path().back(), L'\\');
}

} // namespace
