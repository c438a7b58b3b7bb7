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
using runtime::StagedPicture;
using test::Image;

constexpr core::Color kWhite = 0x00FFFFFF;

class RegionBuilder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    // The picture file staged at the screen's resolution over `background`.
    StagedPicture stage(const std::wstring& name, const std::vector<std::uint8_t>& bytes,
                        core::Color background = runtime::kButtonFaceColor) {
        StagedPicture staging(background);
        staging.stage(runtime::loadPicture(folder_.write(name, bytes).wstring()),
                      runtime::screenResolution());
        return staging;
    }

    // Builds both ways, checks they agree exactly and are canonical, and returns the rects.
    core::Rects buildBothWays(const StagedPicture& staged, const MaskSettings& mask) {
        ScanSize fastScan{-1, -1};
        ScanSize slowScan{-1, -1};
        const win::UniqueRegion fast = control::buildRegion(staged, mask, fastScan);
        const win::UniqueRegion slow = control::buildRegionPerPixel(staged, mask, slowScan);
        const core::Rects fastRects = win::regionRects(fast.get());
        EXPECT_EQ(fastRects, win::regionRects(slow.get()));
        EXPECT_EQ(fastScan.scanWidth, slowScan.scanWidth);
        EXPECT_EQ(fastScan.scanHeight, slowScan.scanHeight);
        EXPECT_EQ(fastScan.scanWidth, staged.widthPx());
        EXPECT_EQ(fastScan.scanHeight, staged.heightPx());
        EXPECT_EQ(core::canonicalBandsFault(fastRects), "");
        // The scan's bands are the region's own rectangles: outlines are judged by them
        // before any region is made.
        control::RegionBuilder builder;
        ScanSize bandScan;
        const std::span<const core::Rect> bands = builder.scan(staged, mask, bandScan);
        EXPECT_EQ(core::Rects(bands.begin(), bands.end()), fastRects);
        return fastRects;
    }

    test::TempFolder folder_;
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
        {L"figure.bmp", test::makeFigure(120, 90), kWhite},
        {L"text.bmp", test::makeTextPage(200, 100), kWhite},
        {L"checker.bmp", test::makeCheckerboard(64, 48), 0},
        {L"noise.bmp", test::makeNoise(77, 33, 7, {0x00000000, 0x00FF0000, 0x000000FF}), 0},
        {L"allmask.bmp", Image(30, 20, kWhite), kWhite},
        {L"nomask.bmp", Image(30, 20, 0x00808080), kWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StagedPicture staged = stage(c.name, test::writeBmp24(c.image));
        const core::Rects rects = buildBothWays(staged, MaskSettings{c.mask, false});
        EXPECT_EQ(mismatchWithFigure(rects, c.image, c.mask), "");
    }
}

TEST_F(RegionBuilder, RegionTheSystemCannotCreateIsTheRuntimesOutOfMemoryError) {
    const StagedPicture staged = stage(L"t.bmp", test::writeBmp24(test::makeTextPage(200, 100)));
    control::RegionBuilder builder;
    ScanSize scan;
    win::GdiWatch watch;
    watch.failRegionCall(5);
    try {
        (void)builder.build(staged, MaskSettings{kWhite}, scan);
        ADD_FAILURE() << "the failing region call went unnoticed";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), CTL_E_OUTOFMEMORY);
        EXPECT_EQ(error.description().rfind(L"Out of memory: ", 0), 0u) << error.what();
    }
    EXPECT_EQ(watch.liveRegions(), 0u);
}

TEST_F(RegionBuilder, GifAndBmpFilesGiveTheFigure) {
    const Image image = test::makeFigure(150, 110, kWhite, 0x00206040);
    const core::Rects fromBmp =
        buildBothWays(stage(L"f.bmp", test::writeBmp8(image)), MaskSettings{kWhite});
    const core::Rects fromGif =
        buildBothWays(stage(L"f.gif", test::writeGif(image)), MaskSettings{kWhite});
    EXPECT_EQ(mismatchWithFigure(fromBmp, image, kWhite), "");
    EXPECT_EQ(fromGif, fromBmp);
}

// A picture's own transparency (a GIF's transparent colour, what a metafile leaves undrawn)
// is cut whatever the mask colour and whatever the picture is drawn over (a black button
// face, say), and no figure colour is cut with it.
TEST_F(RegionBuilder, OwnTransparencyIsCutWhateverTheMaskAndTheBackground) {
    Image metafile(12, 8, kWhite); // white: what the metafile leaves unpainted
    metafile.fillRect(2, 1, 10, 7, 0x00000000);
    Image gif = metafile; // white: the file's transparent colour
    gif.set(11, 7, 0x00000000);
    const struct {
        const wchar_t* file;
        std::vector<std::uint8_t> bytes;
        const Image& figure;
    } pictures[] = {
        {L"t.gif", test::writeGif(gif, kWhite), gif},
        {L"t.emf", test::makeEnhancedMetafile(12, 8, RECT{2, 1, 10, 7}, false), metafile},
    };
    for (const auto& picture : pictures) {
        for (const core::Color back : {runtime::kButtonFaceColor, core::Color{0}}) {
            for (const MaskSettings mask :
                 {MaskSettings{0, true}, MaskSettings{0x0000FF00, false}}) {
                SCOPED_TRACE(::testing::Message() << std::hex << back << " " << mask.automatic);
                const StagedPicture staged = stage(picture.file, picture.bytes, back);
                EXPECT_EQ(mismatchWithFigure(buildBothWays(staged, mask), picture.figure, kWhite),
                          "");
            }
        }
    }
}

TEST_F(RegionBuilder, AutomaticMaskTakesTopLeftPixelEvenInsideTheFigure) {
    Image image(10, 4, kWhite);
    image.fillRect(0, 0, 2, 4, 0x000000FF); // the top-left pixel belongs to the figure
    image.fillRect(6, 1, 9, 3, 0x000000FF);
    image.set(4, 2, 0x00000000);
    const StagedPicture staged = stage(L"auto.bmp", test::writeBmp24(image));
    const core::Rects rects = buildBothWays(staged, MaskSettings{kWhite, true});
    EXPECT_EQ(mismatchWithFigure(rects, image, 0x000000FF), "");
}

TEST_F(RegionBuilder, SystemColourMaskMatchesNoPixel) {
    const Image image = test::makeFigure(40, 30);
    const StagedPicture staged = stage(L"sys.bmp", test::writeBmp24(image));
    // 0x8000000F stands for the button face, which the staged's pixels may well show.
    const core::Rects rects = buildBothWays(staged, MaskSettings{0x8000000F, false});
    EXPECT_EQ(rects, (core::Rects{{0, 0, 40, 30}}));
}

TEST_F(RegionBuilder, EmptyPictureGivesEmptyRegion) {
    StagedPicture staging;
    staging.stage(runtime::emptyPicture(), runtime::screenResolution());
    EXPECT_TRUE(buildBothWays(staging, MaskSettings{kWhite}).empty());
}

} // namespace
} // namespace cutshape
