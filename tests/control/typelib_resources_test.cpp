// The resources of Cutshape.ocx besides the type library: the compatibility maps (read with
// the control's own reader), the version block and the toolbox picture.

#include "control/compatibility_map.h"
#include "win/error.h"

#include <cstring>
#include <cutshape_h.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using cutshape::control::readCompatibilityMap;

constexpr GUID kEarlierDefault = {
    0x2991EEC6, 0xB7E8, 0x40E7, {0x9E, 0x07, 0x02, 0x45, 0xB4, 0xB3, 0x00, 0x7A}};
constexpr GUID kEarlierEvents = {
    0x21B76C49, 0xEA1B, 0x4002, {0x91, 0x03, 0x23, 0xC9, 0x01, 0xFE, 0xC2, 0xD9}};

// The library loaded as data: its resources without running its code.
class LibraryResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = ::LoadLibraryExW(CUTSHAPE_OCX_FILE, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_)
            ::FreeLibrary(module_);
    }

    std::vector<unsigned char> resource(const wchar_t* type, const wchar_t* name,
                                        WORD language) const {
        HRSRC found = ::FindResourceExW(module_, type, name, language);
        if (!found)
            return {};
        const auto* data =
            static_cast<const unsigned char*>(::LockResource(::LoadResource(module_, found)));
        return {data, data + ::SizeofResource(module_, found)};
    }

    std::wstring versionString(const std::vector<unsigned char>& block, const wchar_t* name) const {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\0C0A04B0\\") + name;
        if (!::VerQueryValueW(block.data(), path.c_str(), &value, &length))
            return L"(missing)";
        return std::wstring(static_cast<const wchar_t*>(value), length ? length - 1 : 0);
    }

    HMODULE module_ = nullptr;
};

TEST_F(LibraryResources, EachMapPairsTheEarlierIdentifierWithTheCurrentOne) {
    const struct {
        const wchar_t* map;
        GUID earlier, current;
    } maps[] = {{cutshape::control::kDefaultInterfaceMap, kEarlierDefault, IID__Cutshape},
                {cutshape::control::kEventInterfaceMap, kEarlierEvents, DIID___Cutshape}};
    for (const auto& [map, earlier, current] : maps) {
        const auto pairs = readCompatibilityMap(module_, map);
        ASSERT_EQ(pairs.size(), 1u);
        EXPECT_TRUE(IsEqualGUID(pairs[0].first, earlier));
        EXPECT_TRUE(IsEqualGUID(pairs[0].second, current));
        EXPECT_EQ(resource(map, MAKEINTRESOURCEW(1), 0).size(), 36u);
    }
}

TEST_F(LibraryResources, MissingMapIsAnError) {
    EXPECT_THROW(readCompatibilityMap(module_, L"_NO_SUCH_MAP"), cutshape::win::Error);
}

TEST_F(LibraryResources, MapWhoseByteCountDisagreesWithItsSizeIsRejected) {
    // The version block is a resource whose first bytes are no byte count of its size.
    EXPECT_THROW(readCompatibilityMap(module_, MAKEINTRESOURCEW(16)), cutshape::win::Error);
}

TEST_F(LibraryResources, VersionBlockIsSpanishUnicodeWithTheLibraryStrings) {
    const auto block = resource(RT_VERSION, MAKEINTRESOURCEW(1), 0x0C0A);
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileFlags, 0u);

    EXPECT_EQ(versionString(block, L"FileDescription"), L"Cutshape Ocx");
    EXPECT_EQ(versionString(block, L"ProductName"), L"Cutshape");
    EXPECT_EQ(versionString(block, L"FileVersion"), L"1.00");
    EXPECT_EQ(versionString(block, L"ProductVersion"), L"1.00");
    EXPECT_EQ(versionString(block, L"InternalName"), L"Cutshape");
    EXPECT_EQ(versionString(block, L"OriginalFilename"), L"Cutshape.ocx");
    EXPECT_EQ(versionString(block, L"OLESelfRegister"), L"");

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0C0A);
    EXPECT_EQ(translation[1], 0x04B0);
}

TEST_F(LibraryResources, ToolboxPictureIsA16By15TrueColourBitmap) {
    const auto bitmap =
        resource(RT_BITMAP, MAKEINTRESOURCEW(30000), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_EQ(bitmap.size(), 760u);
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 16);
    EXPECT_EQ(header.biHeight, 15);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));

    // The resource is the generated file without its 14-byte file header.
    std::ifstream in(CUTSHAPE_TOOLBOX_BMP, std::ios::binary);
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    ASSERT_EQ(file.size(), 14 + bitmap.size());
    EXPECT_TRUE(std::equal(bitmap.begin(), bitmap.end(), file.begin() + 14));

    // The system can draw it: a DIB section made from it holds the figure's colours.
    HDC screen = ::GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP made = ::CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(bitmap.data()),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    ASSERT_NE(made, nullptr);
    ::DeleteObject(made);
}

} // namespace
