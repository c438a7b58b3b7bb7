#include "runtime/picture_box.h"
#include "runtime/screen.h"
#include "tests/support/picture_files.h"
#include "tests/support/windows_pictures.h"
#include "win/registry.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <olectl.h>
#include <sstream>

namespace cutshape {
namespace {

using runtime::PictureBox;
using testing::Image;

// The stored layout of the staging box: left, top, width, height in twips.
PictureBox designBox() {
    return PictureBox(300, 1110, 1215, 495);
}

// The settings a shaping call gives the box before it scans it.
void giveScanSettings(PictureBox& box) {
    box.setVisible(false);
    box.setLeft(0);
    box.setTop(0);
    box.setBorderStyle(PictureBox::kBorderNone);
    box.setAutoRedraw(true);
    box.setAutoSize(true);
}

class PictureBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    runtime::Picture load(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        return runtime::loadPicture(folder_.write(name, bytes).wstring());
    }

    testing::TempFolder folder_;
};

HRESULT errorOf(auto&& action) {
    try {
        action();
        return S_OK;
    } catch (const win::Error& error) {
        return error.number();
    }
}

TEST_F(PictureBoxTest, NewBoxHasDesignSizeBorderAndButtonFace) {
    const PictureBox box = designBox();
    const float tppX = runtime::Screen::twipsPerPixelX();
    EXPECT_EQ(box.widthPx(), static_cast<int>(1215 / tppX + 0.5f));
    EXPECT_FLOAT_EQ(box.width(), static_cast<float>(box.widthPx()) * tppX);
    EXPECT_EQ(box.borderStyle(), PictureBox::kBorderFixedSingle);
    EXPECT_TRUE(box.picture().isNothing());
    // The image is the area inside the two-pixel border, filled with the button face.
    EXPECT_EQ(box.pixels().width, box.widthPx() - 4);
    EXPECT_EQ(::GetPixel(box.hDC(), 0, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(::GetPixel(box.hDC(), box.widthPx() - 4, 0), CLR_INVALID);
}

TEST_F(PictureBoxTest, ScanSettingsSizeBoxToPictureAndKeepItsPixels) {
    const Image image = testing::makeFigure(53, 41, 0x00FFFFFF, 0x00336699);
    PictureBox box = designBox();
    const runtime::Picture picture = load(L"f.bmp", testing::writeBmp24(image));
    box.setPicture(picture);
    giveScanSettings(box);
    EXPECT_TRUE(box.picture() == picture); // shared, not copied
    ASSERT_EQ(box.widthPx(), 53);
    ASSERT_EQ(box.heightPx(), 41);
    EXPECT_FLOAT_EQ(box.width(), 53 * runtime::Screen::twipsPerPixelX());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(::GetPixel(box.hDC(), x, y), image.get(x, y)) << x << "," << y;
}

TEST_F(PictureBoxTest, TransparentGifPixelsShowTheBackground) {
    Image image(8, 4, 0x00FFFFFF);
    image.fillRect(2, 1, 6, 3, 0x000000FF);
    PictureBox box = designBox();
    giveScanSettings(box);
    box.setPicture(load(L"t.gif", testing::writeGif(image, 0x00FFFFFFu)));
    EXPECT_EQ(::GetPixel(box.hDC(), 0, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(::GetPixel(box.hDC(), 3, 2), 0x000000FFu);
}

TEST_F(PictureBoxTest, BorderAddsToAutoSizeAndEmptyPictureKeepsSize) {
    PictureBox box = designBox();
    box.setAutoSize(true);
    box.setPicture(load(L"s.bmp", testing::writeBmp24(Image(20, 10, 0x00123456))));
    EXPECT_EQ(box.widthPx(), 24);
    EXPECT_EQ(box.heightPx(), 14);
    box.setBorderStyle(PictureBox::kBorderNone);
    EXPECT_EQ(box.widthPx(), 20);
    box.setPicture(runtime::emptyPicture());
    EXPECT_EQ(box.widthPx(), 20);
    EXPECT_EQ(::GetPixel(box.hDC(), 5, 5), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(PictureBoxTest, SizesWithoutPixelsFailAndChangeNothing) {
    PictureBox box = designBox();
    giveScanSettings(box);
    box.setPicture(load(L"k.bmp", testing::writeBmp24(Image(30, 20, 0x00000000))));
    EXPECT_EQ(errorOf([&] { box.setWidth(1.0e11f); }), CTL_E_OVERFLOW);
    EXPECT_EQ(errorOf([&] { box.setWidth(1.0e9f); }), CTL_E_OUTOFMEMORY);
    EXPECT_EQ(errorOf([&] { box.setHeight(__builtin_nanf("")); }), CTL_E_OVERFLOW);
    EXPECT_EQ(box.widthPx(), 30);
    EXPECT_EQ(box.heightPx(), 20);
    EXPECT_EQ(::GetPixel(box.hDC(), 29, 19), 0u);
}

TEST_F(PictureBoxTest, ZeroSizeBoxHasNoPixels) {
    PictureBox box = designBox();
    giveScanSettings(box);
    box.setWidth(0);
    EXPECT_EQ(box.widthPx(), 0);
    EXPECT_EQ(box.pixels().width, 0);
    EXPECT_NE(box.hDC(), nullptr);
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

std::string runProbe(const std::wstring& picture) {
    wchar_t self[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring probe(self);
    probe = probe.substr(0, probe.find_last_of(L"\\/") + 1) + L"staging_size_probe.exe";
    // The command processor strips the outer pair of quotes.
    const std::wstring command = L"\"\"" + probe + L"\" \"" + picture + L"\"\"";
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

TEST_F(PictureBoxTest, StagedPictureSizeFollowsScreenResolution) {
    const std::wstring picture =
        folder_.write(L"head.bmp", testing::writeBmp24(testing::makeFigure(350, 406))).wstring();
    ScreenResolution resolution;
    for (const int dpi : {96, 120, 144}) {
        resolution.set(static_cast<DWORD>(dpi));
        std::istringstream report(runProbe(picture));
        float tppX = 0, tppY = 0, widthTwips = 0, heightTwips = 0;
        int widthPx = 0, heightPx = 0;
        report >> tppX >> tppY >> widthTwips >> heightTwips >> widthPx >> heightPx;
        ASSERT_TRUE(report) << "no report from the probe at " << dpi << " dpi";
        const float tpp = 1440.0f / static_cast<float>(dpi);
        SCOPED_TRACE(dpi);
        EXPECT_FLOAT_EQ(tppX, tpp);
        EXPECT_FLOAT_EQ(tppY, tpp);
        EXPECT_EQ(widthPx, 350); // the natural size survives the HIMETRIC round trip
        EXPECT_EQ(heightPx, 406);
        EXPECT_FLOAT_EQ(widthTwips, 350 * tpp);
        EXPECT_FLOAT_EQ(heightTwips, 406 * tpp);
    }
}

} // namespace
} // namespace cutshape
