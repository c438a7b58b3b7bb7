#include "runtime/screen.h"
#include "runtime/staged_picture.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_picture.h"
#include "tests/support/picture_files.h"
#include "tests/support/windows_pictures.h"
#include "win/com_object.h"
#include "win/gdi_watch.h"
#include "win/registry.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <olectl.h>
#include <sstream>

namespace cutshape {
namespace {

using runtime::StagedPicture;
using test::Image;

class StagedPictureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    runtime::Picture load(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        return runtime::loadPicture(folder_.write(name, bytes).wstring());
    }

    test::TempFolder folder_;
    const runtime::Resolution at_ = runtime::screenResolution();
};

HRESULT errorOf(auto&& action) {
    try {
        action();
        return S_OK;
    } catch (const win::Error& error) {
        return error.number();
    }
}

TEST_F(StagedPictureTest, PictureIsStagedAtItsNaturalSizeWithItsPixels) {
    const Image image = test::makeFigure(53, 41, 0x00FFFFFF, 0x00336699);
    StagedPicture staging;
    const runtime::Picture picture = load(L"f.bmp", test::writeBmp24(image));
    staging.stage(picture, at_);
    EXPECT_TRUE(staging.picture() == picture); // shared, not copied
    ASSERT_EQ(staging.widthPx(), 53);
    ASSERT_EQ(staging.heightPx(), 41);
    EXPECT_FLOAT_EQ(staging.widthTwips(), 53 * at_.twipsPerPixelX());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(::GetPixel(staging.hDC(), x, y), image.get(x, y)) << x << "," << y;
}

// A picture of the size already staged is drawn into the image there is, instead of a new
// one: nothing of the earlier picture may show through. A GIF's transparent pixels show the
// background and are staged transparent.
TEST_F(StagedPictureTest, SameSizePictureIsDrawnIntoTheSameImageOverTheBackground) {
    StagedPicture staging(0x00123456);
    staging.stage(load(L"red.bmp", test::writeBmp24(Image(8, 4, 0x000000FF))), at_);
    Image holed(8, 4, 0x00FFFFFF);
    holed.fillRect(2, 1, 6, 3, 0x00FF0000);
    const runtime::Picture gif = load(L"holed.gif", test::writeGif(holed, 0x00FFFFFFu));

    win::GdiWatch watch;
    staging.stage(gif, at_);
    EXPECT_EQ(::GetPixel(staging.hDC(), 0, 0), 0x00123456u); // not red
    EXPECT_EQ(::GetPixel(staging.hDC(), 3, 2), 0x00FF0000u);
    EXPECT_FALSE(staging.pixels().opaqueAt(0, 0));
    EXPECT_TRUE(staging.pixels().opaqueAt(3, 2));
    EXPECT_EQ(watch.dibSectionsCreated(), 0);

    staging.stage(load(L"wide.bmp", test::writeBmp24(Image(9, 4, 0x0000FF00))), at_);
    EXPECT_EQ(watch.dibSectionsCreated(), 1);
    EXPECT_EQ(::GetPixel(staging.hDC(), 8, 3), 0x0000FF00u);
}

TEST_F(StagedPictureTest, PictureThatCannotBeDrawnLeavesTheStagingAsItWas) {
    StagedPicture staging;
    const runtime::Picture red = load(L"red.bmp", test::writeBmp24(Image(8, 4, 0x000000FF)));
    staging.stage(red, at_);
    for (const int width : {8, 9}) { // into the image it has, and into a new one
        SCOPED_TRACE(width);
        const auto fake = win::makeCom<test::FakePicture>(
            test::FakePictureBehaviour{.widthHimetric = ::MulDiv(width, 2540, at_.dpiX),
                                       .heightHimetric = ::MulDiv(4, 2540, at_.dpiY),
                                       .renderStatus = E_OUTOFMEMORY});
        const runtime::Picture undrawable =
            runtime::Picture::fromObject(static_cast<IPicture*>(fake.get()));
        ASSERT_EQ(undrawable.sizePixels(at_.dpiX, at_.dpiY).cx, width);
        EXPECT_EQ(errorOf([&] { staging.stage(undrawable, at_); }), E_OUTOFMEMORY);
        EXPECT_TRUE(staging.picture() == red);
        EXPECT_EQ(staging.widthPx(), 8);
        EXPECT_EQ(::GetPixel(staging.hDC(), 0, 0), 0x000000FFu);
        EXPECT_EQ(::GetPixel(staging.hDC(), 7, 3), 0x000000FFu);
    }
}

// Sets the screen resolution a new process starts with, and puts the old one back.
class ScreenResolution {
public:
    ScreenResolution() {
        if (auto key =
                win::openRegistryKey(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_READ)) {
            if (auto value = win::queryRegistryValue(key->get(), "LogPixels", 4)) {
                hadValue_ = true;
                saved_ = std::move(*value);
            }
        }
    }
    ~ScreenResolution() {
        if (hadValue_)
            ::RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", saved_.type,
                              saved_.data.data(), static_cast<DWORD>(saved_.data.size()));
        else
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels");
    }
    void set(DWORD dpi) {
        ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels",
                                    REG_DWORD, &dpi, sizeof dpi),
                  ERROR_SUCCESS);
    }

private:
    bool hadValue_ = false;
    win::RegistryValue saved_;
};

std::string runProbe(const std::vector<std::wstring>& pictures) {
    // The command processor strips the outer pair of quotes.
    std::wstring command = L"\"\"" + test::besideThisProgram(L"staging_size_probe.exe") + L"\"";
    for (const std::wstring& picture : pictures)
        command += L" \"" + picture + L"\"";
    command += L"\"";
    FILE* pipe = ::_wpopen(command.c_str(), L"r");
    if (!pipe)
        return {};
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    ::_pclose(pipe);
    return output;
}

// A picture's staged size, in a process started at each screen resolution: a bitmap's and
// an icon's pixel is 1/96 inch (15 twips) whatever size the loader stated from its screen,
// so they cover dpi/96 screen pixels; a metafile keeps the physical size it states.
TEST_F(StagedPictureTest, StagedPictureSizeFollowsScreenResolution) {
    struct Kind {
        const wchar_t* file;
        std::vector<std::uint8_t> bytes;
        SIZE pixels; // at 96 dpi
        bool metafile;
    };
    const Kind kinds[] = {
        {L"head.bmp", test::writeBmp24(test::makeFigure(350, 406)), {350, 406}, false},
        {L"odd.bmp", test::writeBmp24(test::makeFigure(211, 157)), {211, 157}, false},
        {L"icon.ico",
         test::writeIco(test::makeFigure(32, 32, 0x00FFFFFF, 0x00000080), 0x00FFFFFFu),
         {32, 32},
         false},
        {L"figure.emf", test::makeEnhancedMetafile(40, 30, RECT{5, 5, 20, 25}), {40, 30}, true},
    };
    std::vector<std::wstring> files;
    for (const Kind& kind : kinds)
        files.push_back(folder_.write(kind.file, kind.bytes).wstring());
    ScreenResolution resolution;
    for (const int dpi : {96, 120, 144, 192}) {
        resolution.set(static_cast<DWORD>(dpi));
        std::istringstream report(runProbe(files));
        float tppX = 0, tppY = 0;
        report >> tppX >> tppY;
        ASSERT_TRUE(report) << "no report from the probe at " << dpi << " dpi";
        const float tpp = 1440.0f / static_cast<float>(dpi);
        EXPECT_FLOAT_EQ(tppX, tpp) << dpi;
        EXPECT_FLOAT_EQ(tppY, tpp) << dpi;
        for (const Kind& kind : kinds) {
            float widthTwips = 0, heightTwips = 0;
            int widthPx = 0, heightPx = 0;
            long widthHimetric = 0, heightHimetric = 0;
            report >> widthTwips >> heightTwips >> widthPx >> heightPx >> widthHimetric >>
                heightHimetric;
            ASSERT_TRUE(report) << "no size for a picture at " << dpi << " dpi";
            SCOPED_TRACE(::testing::Message() << dpi << " dpi, " << kind.file);
            // Twips to pixels as every length is rounded: to nearest, ties to even (211 and
            // 157 pixels at 144 dpi are 316.5 and 235.5).
            const auto bitmapPixels = [&](int pixels) {
                return static_cast<int>(std::nearbyint(pixels * dpi / 96.0));
            };
            const SIZE expected =
                kind.metafile
                    ? SIZE{::MulDiv(widthHimetric, dpi, 2540), ::MulDiv(heightHimetric, dpi, 2540)}
                    : SIZE{bitmapPixels(kind.pixels.cx), bitmapPixels(kind.pixels.cy)};
            EXPECT_EQ(widthPx, expected.cx);
            EXPECT_EQ(heightPx, expected.cy);
            EXPECT_FLOAT_EQ(widthTwips, static_cast<float>(expected.cx) * tpp);
            EXPECT_FLOAT_EQ(heightTwips, static_cast<float>(expected.cy) * tpp);
            if (kind.metafile) { // its physical size, whatever the screen
                EXPECT_NEAR(widthPx, bitmapPixels(kind.pixels.cx), 1);
            }
        }
    }
}

} // namespace
} // namespace cutshape
