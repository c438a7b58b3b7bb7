// The control in each kind of container the test site can be: the form itself as the
// extender's Parent, Parents of other environments (in points and without hwnd, ignoring
// size puts, refusing a Width put), an extender without Parent and no extender at all.

#include "core/region_check.h"
#include "runtime/screen.h"
#include "tests/control/control_harness.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "tests/support/windows_pictures.h"
#include "tools/container_kinds/container_kind.h"
#include "win/gdi.h"
#include "win/region.h"

#include <gtest/gtest.h>
#include <string>

namespace cutshape {
namespace {

using namespace test;
using container_kinds::ContainerKind;

constexpr core::Color kMask = 0x00FFFFFF;
constexpr core::Color kFigure = 0x0000C800;

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class ContainerKinds : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }

    static container::FormDesign formDesign() {
        return container::FormDesign{L"Cutshape container form", 4800, 3600, 2, true};
    }
    runtime::Picture pictureFile(const std::wstring& name, const Image& image) {
        return runtime::loadPicture(folder_.write(name, writeBmp24(image)).wstring());
    }
    static void showPictureAndMask(IDispatch* control) {
        ASSERT_EQ(put(control, dispid::kShowPicture, variantOfBool(true)).status, S_OK);
        ASSERT_EQ(put(control, dispid::kMaskColor, variantOf(LONG{kMask})).status, S_OK);
    }

    // Where the window's painted background differs from `image` inside its client area
    // ("" when it shows the picture from the client area's corner).
    static std::string backgroundMismatch(HWND window, const Image& image) {
        RECT client{};
        ::GetClientRect(window, &client);
        const win::DibSurface surface(client.right, client.bottom);
        ::SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
        const core::PixelView painted = surface.pixels();
        for (std::int32_t y = 0; y < std::min(painted.height, image.height()); ++y)
            for (std::int32_t x = 0; x < std::min(painted.width, image.width()); ++x)
                if (painted.colorAt(x, y) != image.get(x, y))
                    return "pixel " + std::to_string(x) + "," + std::to_string(y) + " differs";
        return "";
    }

    TempFolder folder_;
};

// ---- every container that can be shaped: Load gives the figure, Restore the rectangle ----

class ShapedContainer : public ContainerKinds,
                        public ::testing::WithParamInterface<ContainerKind> {};

TEST_P(ShapedContainer, LoadGivesTheFigureAndRestoreTheRememberedRectangle) {
    HostedControl hosted(formDesign(), true, nullptr, GetParam());
    const HWND window = hosted.form->hwnd();
    const SIZE designed = windowSize(window);
    showPictureAndMask(hosted.control.get());
    const Image image = makeFigure(120, 90, kMask, kFigure);
    const runtime::Picture picture = pictureFile(L"figure.bmp", image);

    const Call load = loadCall(hosted.control.get(), picture);
    ASSERT_EQ(load.status, S_OK) << narrow(load.description());
    EXPECT_EQ(windowSize(window).cx, 120);
    EXPECT_EQ(windowSize(window).cy, 90);
    const core::Rects shaped = windowRegion(window);
    EXPECT_EQ(test::regionMismatch(shaped, test::referenceFigure(image.view(), 120, 90, kMask)),
              "");
    EXPECT_EQ(core::canonicalBandsFault(shaped), "");
    EXPECT_EQ(backgroundMismatch(window, image), "");

    for (int round = 0; round < 2; ++round) {
        const Call restore = call(hosted.control.get(), dispid::kRestore);
        ASSERT_EQ(restore.status, S_OK) << narrow(restore.description());
        EXPECT_EQ(windowSize(window).cx, designed.cx);
        EXPECT_EQ(windowSize(window).cy, designed.cy);
        EXPECT_EQ(windowRegion(window), (core::Rects{{0, 0, designed.cx, designed.cy}}));
        // The picture is off again: the background is the form's own colour.
        const Image plain(1, 1, ::GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(backgroundMismatch(window, plain), "");
    }
    // The staged picture survived: Load without an argument shapes to it again.
    ASSERT_EQ(call(hosted.control.get(), dispid::kLoad).status, S_OK);
    EXPECT_EQ(windowRegion(window), shaped);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ShapedContainer,
                         ::testing::Values(ContainerKind::Form, ContainerKind::PointsParent,
                                           ContainerKind::FixedSize, ContainerKind::NoParent,
                                           ContainerKind::NoExtender),
                         [](const ::testing::TestParamInfo<ContainerKind>& each) {
                             std::string name;
                             for (const wchar_t c : container_kinds::nameOf(each.param))
                                 if (c != L'-')
                                     name += static_cast<char>(c);
                             return name;
                         });

// ---- the faults of containers whose form is not the one the control was made for ----

// A Parent in points without hwnd: its Width was read as twips and the window resized to
// it and given the picture before the missing hwnd stopped Load.
TEST_F(ContainerKinds, ParentWithoutHwndIsNeverAskedForItsSize) {
    HostedControl hosted(formDesign(), true, nullptr, ContainerKind::PointsParent);
    showPictureAndMask(hosted.control.get());
    const Image image = makeFigure(100, 70, kMask, kFigure);
    const runtime::Picture picture = pictureFile(L"points.bmp", image);
    ASSERT_EQ(loadCall(hosted.control.get(), picture).status, S_OK);
    ASSERT_EQ(call(hosted.control.get(), dispid::kRestore).status, S_OK);
    ASSERT_EQ(call(hosted.control.get(), dispid::kRefresh).status, S_OK);
    // Everything went to the window: the Parent was not called at all.
    const auto& calls = hosted.standIn->calls();
    std::string called;
    for (const std::wstring& each : calls)
        called += narrow(each) + "; ";
    EXPECT_TRUE(calls.empty()) << called;
    EXPECT_TRUE(hosted.form->picture().isNothing());
}

// A Parent whose size puts do not take: the window kept its size and showed part of the
// figure, without an error.
TEST_F(ContainerKinds, SizePutsThatDoNotTakeAreMadeGoodOnTheWindow) {
    HostedControl hosted(formDesign(), true, nullptr, ContainerKind::FixedSize);
    showPictureAndMask(hosted.control.get());
    const Image image = makeFigure(150, 110, kMask, kFigure);
    const runtime::Picture picture = pictureFile(L"fixed.bmp", image);
    ASSERT_EQ(loadCall(hosted.control.get(), picture).status, S_OK);
    EXPECT_EQ(windowSize(hosted.form->hwnd()).cx, 150);
    EXPECT_EQ(windowSize(hosted.form->hwnd()).cy, 110);
    // The Parent was still used by name, in the order the form is used.
    const auto& calls = hosted.standIn->calls();
    const std::vector<std::wstring> expected = {L"put Picture", L"get Width",  L"get Height",
                                                L"put Width",   L"put Height", L"get hwnd"};
    EXPECT_EQ(calls, expected);
}

// On the form the control was made for, the size puts already size the window: it is sized
// once per put and never again directly.
TEST_F(ContainerKinds, FormWhoseSizePutsTakeIsSizedOnlyByThem) {
    HostedControl hosted(formDesign(), true);
    int sizings = 0;
    hosted.form->onMessage([&](UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_WINDOWPOSCHANGING &&
            !(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOSIZE))
            ++sizings;
        return std::nullopt;
    });
    showPictureAndMask(hosted.control.get());
    const runtime::Picture picture = pictureFile(L"form.bmp", makeFigure(130, 95, kMask, kFigure));
    ASSERT_EQ(loadCall(hosted.control.get(), picture).status, S_OK);
    EXPECT_EQ(sizings, 2);
    ASSERT_EQ(call(hosted.control.get(), dispid::kRestore).status, S_OK);
    EXPECT_EQ(sizings, 4);
    hosted.form->onMessage(nullptr);
}

// A read-only Width: the error said only "Calling 'Width'". It must name the member and
// why, and leave the window's size and region as they were.
TEST_F(ContainerKinds, ReadOnlyWidthFailsSayingWhyAndLeavesTheWindow) {
    HostedControl hosted(formDesign(), true, nullptr, ContainerKind::ReadOnlyWidth);
    const HWND window = hosted.form->hwnd();
    const SIZE designed = windowSize(window);
    ::SetWindowRgn(window, ::CreateEllipticRgn(0, 0, 200, 120), TRUE);
    const core::Rects previous = windowRegion(window);
    ASSERT_FALSE(previous.empty());
    ASSERT_EQ(put(hosted.control.get(), dispid::kMaskColor, variantOf(LONG{kMask})).status, S_OK);
    const runtime::Picture picture = pictureFile(L"ro.bmp", makeFigure(90, 60, kMask, kFigure));

    const Call load = loadCall(hosted.control.get(), picture);
    const Call restore = call(hosted.control.get(), dispid::kRestore);
    for (const Call* failed : {&load, &restore}) {
        ASSERT_EQ(failed->status, DISP_E_EXCEPTION);
        // The host's own number, unchanged.
        EXPECT_EQ(failed->exception.scode, DISP_E_MEMBERNOTFOUND);
        const std::wstring description = failed->description();
        EXPECT_NE(description.find(L"'Width'"), std::wstring::npos) << narrow(description);
        EXPECT_NE(description.find(L"Member not found"), std::wstring::npos) << narrow(description);
        EXPECT_EQ(windowSize(window).cx, designed.cx);
        EXPECT_EQ(windowSize(window).cy, designed.cy);
        EXPECT_EQ(windowRegion(window), previous);
    }
}

} // namespace
} // namespace cutshape
