#include "control/region_builder.h"
#include "core/region_check.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "tests/support/windows_pictures.h"
#include "win/gdi_watch.h"
#include "win/region.h"

#include <gtest/gtest.h>
#include <olectl.h>
#include <span>

namespace cutshape {
namespace {

using control::ScanSize;
using core::MaskSettings;
using runtime::PictureBox;
using testing::Image;

constexpr core::Color kWhite = 0x00FFFFFF;

class RegionBuilder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    // A staging box holding the picture file, with the settings a shaping call gives it.
    PictureBox stage(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        PictureBox box(300, 1110, 1215, 495);
        control::prepareForScan(box);
        box.setPicture(runtime::loadPicture(folder_.write(name, bytes).wstring()));
        return box;
    }

    // Builds both ways, checks they agree exactly and are canonical, and returns the rects.
    core::Rects buildBothWays(const PictureBox& box, const MaskSettings& mask) {
        ScanSize fastScan{-1, -1};
        ScanSize slowScan{-1, -1};
        const win::UniqueRegion fast = control::buildRegion(box, mask, fastScan);
        const win::UniqueRegion slow = control::buildRegionPerPixel(box, mask, slowScan);
        const core::Rects fastRects = win::regionRects(fast.get());
        EXPECT_EQ(fastRects, win::regionRects(slow.get()));
        EXPECT_EQ(fastScan.scanWidth, slowScan.scanWidth);
        EXPECT_EQ(fastScan.scanHeight, slowScan.scanHeight);
        EXPECT_EQ(fastScan.scanWidth, box.widthPx());
        EXPECT_EQ(fastScan.scanHeight, box.heightPx());
        EXPECT_EQ(core::canonicalBandsFault(fastRects), "");
        // The scan's bands are the region's own rectangles: outlines are judged by them
        // before any region is made.
        control::RegionBuilder builder;
        ScanSize bandScan;
        const std::span<const core::Rect> bands = builder.scan(box, mask, bandScan);
        EXPECT_EQ(core::Rects(bands.begin(), bands.end()), fastRects);
        return fastRects;
    }

    testing::TempFolder folder_;
};

// The figure of the picture as the file's own pixels say, read one by one.
std::string mismatchWithFigure(const core::Rects& rects, const Image& image, core::Color mask) {
    return test::regionMismatch(
        rects, test::referenceFigure(image.view(), image.width(), image.height(), mask));
}

TEST_F(RegionBuilder, FastAndPerPixelAgreeOnGeneratedPictures) {
    struct Case {
        const wchar_t* name;
        Image image;
        core::Color mask;
    };
    const Case cases[] = {
        {L"figure.bmp", testing::makeFigure(120, 90), kWhite},
        {L"text.bmp", testing::makeTextPage(200, 100), kWhite},
        {L"checker.bmp", testing::makeCheckerboard(64, 48), 0},
        {L"noise.bmp", testing::makeNoise(77, 33, 7, {0x00000000, 0x00FF0000, 0x000000FF}), 0},
        {L"allmask.bmp", Image(30, 20, kWhite), kWhite},
        {L"nomask.bmp", Image(30, 20, 0x00808080), kWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureBox box = stage(c.name, testing::writeBmp24(c.image));
        const core::Rects rects = buildBothWays(box, MaskSettings{c.mask, false});
        EXPECT_EQ(mismatchWithFigure(rects, c.image, c.mask), "");
    }
}

TEST_F(RegionBuilder, RegionTheSystemCannotCreateIsTheRuntimesOutOfMemoryError) {
    const PictureBox box = stage(L"t.bmp", testing::writeBmp24(testing::makeTextPage(200, 100)));
    control::RegionBuilder builder;
    ScanSize scan;
    win::GdiWatch watch;
    watch.failRegionCall(5);
    try {
        (void)builder.build(box, MaskSettings{kWhite}, scan);
        ADD_FAILURE() << "the failing region call went unnoticed";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), CTL_E_OUTOFMEMORY);
        EXPECT_EQ(error.description().rfind(L"Out of memory: ", 0), 0u) << error.what();
    }
    EXPECT_EQ(watch.liveRegions(), 0u);
}

TEST_F(RegionBuilder, GifAndBmpFilesGiveTheFigure) {
    const Image image = testing::makeFigure(150, 110, kWhite, 0x00206040);
    const core::Rects fromBmp =
        buildBothWays(stage(L"f.bmp", testing::writeBmp8(image)), MaskSettings{kWhite});
    const core::Rects fromGif =
        buildBothWays(stage(L"f.gif", testing::writeGif(image)), MaskSettings{kWhite});
    EXPECT_EQ(mismatchWithFigure(fromBmp, image, kWhite), "");
    EXPECT_EQ(fromGif, fromBmp);
}

TEST_F(RegionBuilder, AutomaticMaskTakesTopLeftPixelEvenInsideTheFigure) {
    Image image(10, 4, kWhite);
    image.fillRect(0, 0, 2, 4, 0x000000FF); // the top-left pixel belongs to the figure
    image.fillRect(6, 1, 9, 3, 0x000000FF);
    image.set(4, 2, 0x00000000);
    const PictureBox box = stage(L"auto.bmp", testing::writeBmp24(image));
    const core::Rects rects = buildBothWays(box, MaskSettings{kWhite, true});
    EXPECT_EQ(mismatchWithFigure(rects, image, 0x000000FF), "");
}

TEST_F(RegionBuilder, SystemColourMaskMatchesNoPixel) {
    const Image image = testing::makeFigure(40, 30);
    const PictureBox box = stage(L"sys.bmp", testing::writeBmp24(image));
    // 0x8000000F stands for the button face, which the box's pixels may well show.
    const core::Rects rects = buildBothWays(box, MaskSettings{0x8000000F, false});
    EXPECT_EQ(rects, (core::Rects{{0, 0, 40, 30}}));
}

TEST_F(RegionBuilder, ZeroSizeBoxGivesEmptyRegion) {
    PictureBox box = stage(L"z.bmp", testing::writeBmp24(Image(5, 5, 0x00000000)));
    box.setAutoSize(false);
    box.setWidth(0);
    EXPECT_TRUE(buildBothWays(box, MaskSettings{kWhite}).empty());
    box.setWidth(75);
    box.setHeight(0);
    EXPECT_TRUE(buildBothWays(box, MaskSettings{kWhite}).empty());
}

TEST_F(RegionBuilder, ScanBeyondTheImageCountsAsFigure) {
    // A bordered box scans its outer size; pixels outside the image read as invalid.
    PictureBox box(0, 0, 300, 150);
    box.setAutoRedraw(true);
    const core::Rects rects = buildBothWays(box, MaskSettings{::GetSysColor(COLOR_BTNFACE)});
    const int inner = box.widthPx() - 4;
    ASSERT_FALSE(rects.empty());
    EXPECT_EQ(rects.front(), (core::Rect{inner, 0, box.widthPx(), box.heightPx() - 4}));
}

} // namespace
} // namespace cutshape
