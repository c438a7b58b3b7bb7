#include "control/control_face.h"
#include "control/shaping.h"
#include "runtime/screen.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "tests/support/windows_pictures.h"
#include "win/region.h"

#include <gtest/gtest.h>
#include <olectl.h>
#include <optional>
#include <string>
#include <vector>

namespace cutshape {
namespace {

using control::HostForm;
using control::Shaper;

// A form that records every member the control uses, backed by a real hidden window so
// that the installed region can be read back.
struct FormLog {
    std::vector<std::string> calls;
    runtime::Picture picture;
    float widthTwips = 4800;
    float heightTwips = 3600;
    bool showInTaskbar = true;
    std::int32_t borderStyle = 2;
    bool failWidth = false;
    HWND window = nullptr;
    // When set, the size puts resize the window too, this many pixels off the size put.
    std::optional<int> putsResizeWindowOffByPx;
};

class RecordingForm final : public HostForm {
public:
    explicit RecordingForm(FormLog& log) : log_(log) {}
    void setPicture(const runtime::Picture& picture) override {
        log_.calls.push_back("Picture=");
        log_.picture = picture;
    }
    float width() override { return record("Width", log_.widthTwips); }
    float height() override { return record("Height", log_.heightTwips); }
    void setWidth(float twips) override {
        log_.calls.push_back("Width=" + std::to_string(static_cast<int>(twips)));
        if (log_.failWidth)
            throw win::Error(E_FAIL, L"the form refuses its new width");
        log_.widthTwips = twips;
        resizeWindow();
    }
    void setHeight(float twips) override {
        log_.calls.push_back("Height=" + std::to_string(static_cast<int>(twips)));
        log_.heightTwips = twips;
        resizeWindow();
    }
    HWND hwnd() override { return record("hwnd", log_.window); }
    void refresh() override { log_.calls.push_back("Refresh"); }
    void setBorderStyle(std::int32_t style) override {
        log_.calls.push_back("BorderStyle=" + std::to_string(style));
        log_.borderStyle = style;
    }
    bool showInTaskbar() override { return record("ShowInTaskbar", log_.showInTaskbar); }
    void setShowInTaskbar(bool show) override {
        log_.calls.push_back(std::string("ShowInTaskbar=") + (show ? "True" : "False"));
        log_.showInTaskbar = show;
    }

private:
    void resizeWindow() {
        if (!log_.putsResizeWindowOffByPx)
            return;
        const int offset = *log_.putsResizeWindowOffByPx;
        ::SetWindowPos(
            log_.window, nullptr, 0, 0,
            static_cast<int>(log_.widthTwips / runtime::screenResolution().twipsPerPixelX()) +
                offset,
            static_cast<int>(log_.heightTwips / runtime::screenResolution().twipsPerPixelY()) +
                offset,
            SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    template <class T>
    T record(const char* name, T value) {
        log_.calls.push_back(name);
        return value;
    }
    FormLog& log_;
};

class ShapingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        window_.reset(::CreateWindowExW(0, L"STATIC", L"form", WS_POPUP, 0, 0, 320, 240, nullptr,
                                        nullptr, nullptr, nullptr));
        log_.window = window_.get();
    }
    void TearDown() override {
        window_.reset();
        ::CoUninitialize();
    }

    Shaper makeShaper() {
        return Shaper(properties_, [this](const runtime::Resolution&) {
            return std::make_unique<RecordingForm>(log_);
        });
    }
    // A shaper whose form is the bare window, driven directly.
    Shaper makeWindowShaper(HWND window) {
        return Shaper(properties_, [this, window](const runtime::Resolution& at) {
            return control::windowAsHostForm(window, pictures_, at);
        });
    }
    runtime::Picture picture(const std::wstring& name, int width, int height) {
        return runtime::loadPicture(
            folder_.write(name, test::writeBmp24(test::makeFigure(width, height))).wstring());
    }
    core::Rects windowRegion() { return test::windowRegion(window_.get()); }
    SIZE windowSize() { return test::windowSize(window_.get()); }

    FormLog log_;
    control::ControlProperties properties_;
    const runtime::Resolution at_ = runtime::screenResolution();
    win::UniqueWindow window_;
    control::WindowPictures pictures_;
    test::TempFolder folder_;
};

TEST_F(ShapingTest, LoadRemembersTheFormSizeOnceThenSizesAndShapesIt) {
    Shaper shaper = makeShaper();
    shaper.load(picture(L"a.bmp", 40, 30));
    const float tppX = at_.twipsPerPixelX();
    const float tppY = at_.twipsPerPixelY();
    const std::vector<std::string> expected = {
        "Width", "Height", "Width=" + std::to_string(static_cast<int>(40 * tppX)),
        "Height=" + std::to_string(static_cast<int>(30 * tppY)), "hwnd"};
    EXPECT_EQ(log_.calls, expected); // ShowPicture is False: the picture is not touched
    EXPECT_EQ(shaper.savedFormSize().cx, 4800);

    log_.calls.clear();
    properties_.setShowPicture(VARIANT_TRUE);
    const runtime::Picture second = picture(L"b.bmp", 50, 20);
    shaper.load(second);
    ASSERT_FALSE(log_.calls.empty());
    EXPECT_EQ(log_.calls.front(), "Picture=");
    EXPECT_TRUE(log_.picture == second);
    EXPECT_EQ(shaper.savedFormSize().cx, 4800); // still the size from before the first
    EXPECT_EQ(shaper.savedFormSize().cy, 3600);
}

TEST_F(ShapingTest, LoadWithoutPictureTouchesNothing) {
    Shaper shaper = makeShaper();
    try {
        shaper.load(runtime::Picture());
        FAIL() << "Load without a picture succeeded";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), control::kNoPictureSetError);
        EXPECT_EQ(error.source(), L"Cutshape");
    }
    EXPECT_TRUE(log_.calls.empty());
}

TEST_F(ShapingTest, FailedRestoreStillPutsThePictureBackAndEndsRestoreMode) {
    Shaper shaper = makeShaper();
    properties_.setMaskColor(0x00FFFFFF);
    const runtime::Picture kept = picture(L"k.bmp", 60, 40);
    shaper.load(kept);
    const core::Rects shaped = windowRegion();

    log_.failWidth = true;
    EXPECT_THROW(shaper.restore(), win::Error);
    EXPECT_TRUE(properties_.picture() == kept);

    // Not left in restore mode: the next load cuts the mask colour again, not black.
    log_.failWidth = false;
    shaper.load(runtime::Picture());
    EXPECT_EQ(windowRegion(), shaped);
}

// Restore draws and scans nothing: its cost once grew with the last picture's height, and
// its scan of an empty image depended on the system's colours.
TEST_F(ShapingTest, RestoreSizesToTheRememberedFormWithoutDrawingAndKeepsThePicture) {
    Shaper shaper = makeShaper();
    properties_.setShowPicture(VARIANT_TRUE);
    const runtime::Picture tall = picture(L"tall.bmp", 1, 16000);
    shaper.load(tall);
    ASSERT_EQ(shaper.staging().heightPx(), 16000);

    const std::int64_t drawnBefore = shaper.staging().pixelsDrawn();
    shaper.restore();
    EXPECT_EQ(shaper.staging().pixelsDrawn(), drawnBefore);
    const int widthPx = static_cast<int>(4800 / at_.twipsPerPixelX() + 0.5f);
    const int heightPx = static_cast<int>(3600 / at_.twipsPerPixelY() + 0.5f);
    EXPECT_TRUE(log_.picture.isEmpty());
    EXPECT_FLOAT_EQ(log_.widthTwips, static_cast<float>(widthPx) * at_.twipsPerPixelX());
    EXPECT_FLOAT_EQ(log_.heightTwips, static_cast<float>(heightPx) * at_.twipsPerPixelY());
    EXPECT_EQ(windowRegion(), (core::Rects{{0, 0, widthPx, heightPx}}));
    EXPECT_TRUE(properties_.picture() == tall);
    shaper.load(runtime::Picture()); // the kept picture shapes the form again
    EXPECT_EQ(shaper.staging().heightPx(), 16000);
    EXPECT_TRUE(log_.picture == tall);
}

// A form whose size puts leave the window as it was: the window is sized directly, so that
// the region is not cut off by its edges. A put that takes within a pixel is left alone.
TEST_F(ShapingTest, WindowIsSizedDirectlyOnlyWhenThePutsMissedByMoreThanAPixel) {
    Shaper shaper = makeShaper();
    const runtime::Picture figure = picture(L"s.bmp", 44, 33);
    shaper.load(figure); // the recording form's puts leave the window at 320 x 240
    EXPECT_EQ(windowSize().cx, 44);
    EXPECT_EQ(windowSize().cy, 33);

    for (const int offset : {1, -1, 0}) {
        SCOPED_TRACE(offset);
        log_.putsResizeWindowOffByPx = offset;
        shaper.load(figure);
        EXPECT_EQ(windowSize().cx, 44 + offset);
        EXPECT_EQ(windowSize().cy, 33 + offset);
    }
    log_.putsResizeWindowOffByPx = 2;
    shaper.load(figure);
    EXPECT_EQ(windowSize().cx, 44);
    EXPECT_EQ(windowSize().cy, 33);
}

// Without a form to call by name the window itself is sized in pixels, shaped, and given
// back its size and a full rectangle.
TEST_F(ShapingTest, BareWindowIsSizedShapedAndRestoredInPixels) {
    Shaper shaper = makeWindowShaper(window_.get());
    properties_.setMaskColor(0x00FFFFFF);
    properties_.setShowPicture(VARIANT_TRUE);
    const auto image = test::makeFigure(52, 37);
    shaper.load(runtime::loadPicture(folder_.write(L"w.bmp", test::writeBmp24(image)).wstring()));
    EXPECT_EQ(windowSize().cx, 52);
    EXPECT_EQ(windowSize().cy, 37);
    EXPECT_EQ(shaper.savedFormSize().cx, static_cast<int>(320 * at_.twipsPerPixelX()));
    EXPECT_EQ(test::regionMismatch(windowRegion(),
                                   test::referenceFigure(image.view(), 52, 37, 0x00FFFFFF)),
              "");
    EXPECT_TRUE(log_.calls.empty());

    shaper.restore();
    EXPECT_EQ(windowSize().cx, 320);
    EXPECT_EQ(windowSize().cy, 240);
    EXPECT_EQ(windowRegion(), (core::Rects{{0, 0, 320, 240}}));
}

// A window that is gone is found out before anything happens.
TEST_F(ShapingTest, BareWindowThatIsGoneIsAnErrorBeforeAnyChange) {
    const HWND gone = window_.get();
    window_.reset();
    Shaper shaper = makeWindowShaper(gone);
    try {
        shaper.load(picture(L"g.bmp", 20, 20));
        FAIL() << "Load on a destroyed window succeeded";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), STD_CTL_SCODE(398));
    }
    EXPECT_EQ(shaper.savedFormSize().cx, 0); // nothing was recorded either
}

TEST_F(ShapingTest, PaintMakesTheFormBorderlessAndKeepsItsTaskbarSetting) {
    RecordingForm form(log_);
    log_.showInTaskbar = false;
    control::makeBorderless(form);
    const std::vector<std::string> expected = {"ShowInTaskbar", "BorderStyle=0",
                                               "ShowInTaskbar=False"};
    EXPECT_EQ(log_.calls, expected);
}

} // namespace
} // namespace cutshape
