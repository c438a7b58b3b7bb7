// Load through the automation interface on a form of the project's runtime, with the control
// linked into this program and created by its own class factory, so that the windowing
// layer's GdiWatch sees every region and image the control creates: failures of the system
// midway, regions the window system cannot take, and what repeated Loads leave behind.

#include "container/control_site.h"
#include "container/form.h"
#include "control/interfaces.h"
#include "control/server.h"
#include "control/shaping.h"
#include "control/window_region.h"
#include "runtime/picture.h"
#include "runtime/screen.h"
#include "tests/control/control_harness.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "tests/support/windows_pictures.h"
#include "win/com_error.h"
#include "win/gdi_watch.h"
#include "win/region.h"
#include "win/window_system.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <olectl.h>
#include <string>

namespace cutshape {
namespace {

using namespace test;
constexpr core::Color kWhite = 0x00FFFFFF;

class LoadLimits : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        form_ = win::makeCom<container::Form>(
            container::FormDesign{L"Cutshape load limits", 4800, 3600, 2, true});
        win::ComPtr<IClassFactory> factory;
        ASSERT_EQ(control::getClassObject(kCutshapeClsid, IID_IClassFactory, factory.putVoid()),
                  S_OK);
        win::ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.putVoid()), S_OK);
        site_ = container::ControlSite::host(form_, object,
                                             {L"Cutshape1", true, RECT{8, 8, 44, 44}}, nullptr);
        control_ = site_->control();
        // Through the dual interface: this program carries no type library for the dispatcher.
        ASSERT_EQ(control_.query<_Cutshape>()->put_MaskColor(kWhite), S_OK);
        ASSERT_EQ(control_.query<_Cutshape>()->put_AutomaticMaskColor(VARIANT_FALSE), S_OK);
    }
    void TearDown() override {
        control_.reset();
        if (site_)
            site_->close();
        site_.reset();
        form_.reset();
        ::OleUninitialize();
    }

    runtime::Picture picture(const std::wstring& name, const Image& image) {
        return runtime::loadPicture(folder_.write(name, writeBmp24(image)).wstring());
    }
    runtime::Picture alphaPicture(const std::wstring& name, const AlphaImage& image) {
        return runtime::loadPicture(folder_.write(name, writeBmp32(image)).wstring());
    }
    Call load(const runtime::Picture& shown) { return loadCall(control_.get(), shown); }
    static std::string text(const Call& call) {
        const std::wstring description = call.description();
        return std::string(description.begin(), description.end());
    }
    core::Rects windowRegion() const { return test::windowRegion(form_->hwnd()); }
    SIZE windowSize() const { return test::windowSize(form_->hwnd()); }
    static std::string figureMismatch(const core::Rects& rects, const Image& image) {
        return test::regionMismatch(
            rects, test::referenceFigure(image.view(), image.width(), image.height(), kWhite));
    }

    TempFolder folder_;
    win::ComPtr<container::Form> form_;
    win::ComPtr<container::ControlSite> site_;
    win::ComPtr<IDispatch> control_;
};

TEST_F(LoadLimits, RegionCallFailingMidwayIsAnAutomationErrorAndLeavesNothingBehind) {
    const Image first = makeFigure(120, 90);
    ASSERT_EQ(load(picture(L"first.bmp", first)).status, S_OK);
    const core::Rects shaped = windowRegion();
    ASSERT_EQ(figureMismatch(shaped, first), "");

    const runtime::Picture second = picture(L"second.bmp", makeTextPage(400, 300));
    std::int64_t callsOfOneLoad = 0;
    {
        win::GdiWatch watch;
        ASSERT_EQ(load(second).status, S_OK);
        callsOfOneLoad = watch.regionCalls();
        ASSERT_EQ(load(picture(L"again.bmp", first)).status, S_OK);
    }
    ASSERT_GT(callsOfOneLoad, 4);
    for (const std::int64_t failing : {std::int64_t{1}, callsOfOneLoad / 2, callsOfOneLoad}) {
        SCOPED_TRACE(failing);
        win::GdiWatch watch;
        watch.failRegionCall(failing);
        const Call failed = load(second);
        ASSERT_EQ(failed.status, DISP_E_EXCEPTION);
        EXPECT_EQ(failed.exception.scode, CTL_E_OUTOFMEMORY);
        EXPECT_NE(failed.description().find(L"could not create a window region"),
                  std::wstring::npos)
            << text(failed);
        EXPECT_EQ(watch.liveRegions(), 0u);
        EXPECT_EQ(windowRegion(), shaped); // the window keeps its previous region
    }
}

// A window that refused its region left Load and Restore reporting success, and the region
// was never freed.
TEST_F(LoadLimits, RegionTheWindowRefusesIsANamedErrorAndIsFreed) {
    const Image first = makeFigure(120, 90);
    ASSERT_EQ(load(picture(L"first.bmp", first)).status, S_OK);
    const core::Rects shaped = windowRegion();
    const runtime::Picture second = picture(L"second.bmp", makeFigure(100, 80));
    const auto refusal = [&](bool restoring) -> win::Error {
        if (!restoring) {
            const Call refused = load(second);
            EXPECT_EQ(refused.status, DISP_E_EXCEPTION);
            return win::Error(refused.exception.scode, refused.description());
        }
        // Through the dual interface: this program carries no type library for the dispatcher.
        const HRESULT status = control_.query<_Cutshape>()->Restore();
        return win::takeErrorInfo(status).value_or(win::Error(status, L"no error information"));
    };
    for (const bool restoring : {false, true}) {
        SCOPED_TRACE(restoring ? "Restore" : "Load");
        win::GdiWatch watch;
        watch.refuseWindowRegion();
        const win::Error refused = refusal(restoring);
        EXPECT_EQ(refused.number(), HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_NE(refused.description().find(L"SetWindowRgn"), std::wstring::npos)
            << refused.what();
        EXPECT_EQ(watch.liveRegions(), 0u); // the refused region is freed
        EXPECT_EQ(windowRegion(), shaped);  // the window keeps the one it had
    }
}

// Under Wine on X a region of 32,767 rectangles or more ended the program with an X error,
// and one of 32,766 left a shown window without any shape.
TEST_F(LoadLimits, OutlineBeyondTheWindowSystemsLimitIsRefusedAndTheWindowKeepsItsRegion) {
    const Image first = makeFigure(120, 90);
    ASSERT_EQ(load(picture(L"first.bmp", first)).status, S_OK);
    const core::Rects shaped = windowRegion();

    // One-pixel checkerboards: every row its own band of single-pixel rectangles.
    struct Over {
        Image image;
        std::size_t rects;
    };
    const Over overs[] = {{makeCheckerboard(302, 217), 151u * 217u},  // 32,767
                          {makeCheckerboard(254, 258), 127u * 258u}}; // 32,766
    for (const Over& over : overs) {
        SCOPED_TRACE(over.rects);
        const runtime::Picture shown = picture(L"over.bmp", over.image);
        win::GdiWatch watch;
        const Call refused = load(shown);
        if (!win::runningUnderWine()) {
            ASSERT_EQ(refused.status, S_OK) << text(refused); // Windows has no such limit
            EXPECT_EQ(figureMismatch(windowRegion(), over.image), "");
            continue;
        }
        ASSERT_EQ(refused.status, DISP_E_EXCEPTION);
        EXPECT_EQ(refused.exception.scode, control::kOutlineTooComplexError);
        EXPECT_EQ(refused.source(), L"Cutshape");
        EXPECT_EQ(refused.description(), L"the picture's outline is too complex for this window "
                                         L"system: " +
                                             std::to_wstring(over.rects) +
                                             L" rectangles, at most 32765");
        // Refused on the scan's count: no region was made only to be thrown away.
        EXPECT_EQ(watch.regionCalls(), 0);
        EXPECT_EQ(windowRegion(), shaped);
        // The earlier steps stay done: the form has the refused picture's size.
        EXPECT_EQ(windowSize().cx, over.image.width());
        EXPECT_EQ(windowSize().cy, over.image.height());
    }

    // Just under the limit the window takes the region. (Wine reads a window's region back
    // one rectangle at a time, for many seconds here; the end-to-end test reads the shape
    // from the X server instead.)
    Image under = makeCheckerboard(254, 258);
    under.set(253, 257, kWhite); // 127 x 257 + 126 = 32,765 rectangles
    win::GdiWatch watch;
    const Call taken = load(picture(L"under.bmp", under));
    ASSERT_EQ(taken.status, S_OK) << text(taken);
    EXPECT_GT(watch.peakLiveRegions(), 0u);
    EXPECT_EQ(watch.liveRegions(), 0u); // handed to the window
}

// Every Load rendered the picture twice, each time into a new 32-bit image: a fresh 1080p
// image cost about 50 ms of page faults here.
TEST_F(LoadLimits, RepeatedLoadsOfSameSizePicturesCreateNoImagesAndLeaveNothingBehind) {
    const Image figure = makeFigure(640, 480);
    const runtime::Picture first = picture(L"first.bmp", figure);
    const Image other = makeCheckerboard(640, 480, 8); // another picture of the same size
    const runtime::Picture second = picture(L"second.bmp", other);
    ASSERT_EQ(load(first).status, S_OK);
    const core::Rects shaped = windowRegion();

    const DWORD gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    win::GdiWatch watch;
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(load(first).status, S_OK);
    EXPECT_EQ(watch.dibSectionsCreated(), 0);
    ASSERT_EQ(load(second).status, S_OK);
    EXPECT_EQ(figureMismatch(windowRegion(), other), "");
    ASSERT_EQ(load(first).status, S_OK);
    EXPECT_EQ(windowRegion(), shaped);
    EXPECT_EQ(watch.dibSectionsCreated(), 0);
    EXPECT_EQ(watch.liveSurfaces(), 0u);
    EXPECT_EQ(watch.liveRegions(), 0u);
    // Windows counts a process's GDI objects; Wine answers 0, and the watch counts instead.
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);
}

// The screen's resolution was asked of the system several times in every Load.
TEST_F(LoadLimits, LoadAndRestoreReadTheScreenResolutionOnce) {
    const runtime::Picture shown = picture(L"figure.bmp", makeFigure(200, 150));
    ASSERT_EQ(load(shown).status, S_OK);
    for (const int width : {200, 210}) {
        SCOPED_TRACE(width);
        const runtime::Picture next = picture(L"next.bmp", makeFigure(width, 150));
        std::int64_t reads = runtime::resolutionReads();
        ASSERT_EQ(load(next).status, S_OK);
        EXPECT_EQ(runtime::resolutionReads() - reads, 1);
        reads = runtime::resolutionReads();
        ASSERT_EQ(control_.query<_Cutshape>()->Restore(), S_OK);
        EXPECT_EQ(runtime::resolutionReads() - reads, 1);
    }
}

BOOL CALLBACK collectSoftEdge(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (std::wstring(name) == L"CutshapeSoftEdge")
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The windows of this thread that show a soft edge; hidden ones too when `hiddenToo`.
std::vector<HWND> softEdges(bool hiddenToo = true) {
    std::vector<HWND> edges;
    ::EnumThreadWindows(::GetCurrentThreadId(), collectSoftEdge, reinterpret_cast<LPARAM>(&edges));
    if (!hiddenToo)
        std::erase_if(edges, [](HWND edge) { return !::IsWindowVisible(edge); });
    return edges;
}

// The one edge, shown directly below the form, taking neither input nor activation and with
// no taskbar button; its place and content are read back from the X server end to end.
std::string edgeMismatch(HWND form) {
    const std::vector<HWND> edges = softEdges(false);
    if (edges.size() != 1 || softEdges().size() != 1)
        return std::to_string(edges.size()) + " edges shown";
    constexpr LONG_PTR kStyles =
        WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    if ((::GetWindowLongPtrW(edges.front(), GWL_EXSTYLE) & kStyles) != kStyles)
        return "takes input or has a taskbar button";
    return ::GetWindow(form, GW_HWNDNEXT) == edges.front() ? "" : "not directly below the form";
}

TEST_F(LoadLimits, SoftPictureShowsItsFringeBelowTheFormWhileTheFormShowsThePicture) {
    const AlphaImage soft = makeSoftFigure(220, 170);
    const runtime::Picture softPicture = alphaPicture(L"soft.bmp", soft);
    const runtime::Picture hardPicture = alphaPicture(L"hard.bmp", withoutFringe(soft));
    const auto shaper = control_.query<_Cutshape>();
    ASSERT_EQ(shaper->put_AutomaticMaskColor(VARIANT_TRUE), S_OK);
    ASSERT_EQ(shaper->put_ShowPicture(VARIANT_TRUE), S_OK);
    form_->show();
    const HWND form = form_->hwnd();
    ASSERT_EQ(load(softPicture).status, S_OK);
    EXPECT_EQ(edgeMismatch(form), "");
    const HWND edge = softEdges().front();
    // A topmost form has a topmost edge, and an ordinary form an ordinary one.
    for (const HWND band : {HWND_TOPMOST, HWND_NOTOPMOST}) {
        ::SetWindowPos(form, band, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        EXPECT_EQ((::GetWindowLongPtrW(edge, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
                  band == HWND_TOPMOST);
        EXPECT_EQ(edgeMismatch(form), "") << (band == HWND_TOPMOST ? "topmost" : "not");
    }

    // Hidden, so that the form's own painting of the picture (the container's) is not counted.
    ::ShowWindow(form, SW_HIDE);
    win::GdiWatch watch;
    ASSERT_EQ(load(softPicture).status, S_OK);
    EXPECT_EQ(softEdges(), std::vector<HWND>{edge}) << "a same-size Load keeps the edge";
    EXPECT_EQ(watch.dibSectionsCreated(), 0);
    ::ShowWindow(form, SW_SHOW);
    // A shaping that fails keeps the window's shape and its edge.
    watch.refuseWindowRegion();
    EXPECT_NE(load(hardPicture).status, S_OK);
    EXPECT_EQ(edgeMismatch(form), "");

    const struct {
        const char* what;
        const runtime::Picture* picture; // Restore when null
        VARIANT_BOOL showPicture;
        std::size_t shown;
        std::size_t kept; // hidden ones too: a form keeps at most one
    } steps[] = {
        {"a picture whose alpha is only 0 and 255", &hardPicture, VARIANT_TRUE, 0, 1},
        {"the soft picture again", &softPicture, VARIANT_TRUE, 1, 1},
        {"Restore", nullptr, VARIANT_TRUE, 0, 0},
        {"the soft picture while the form does not show it", &softPicture, VARIANT_FALSE, 0, 0},
        {"the soft picture shown again", &softPicture, VARIANT_TRUE, 1, 1},
        {"Restore again", nullptr, VARIANT_TRUE, 0, 0},
    };
    for (const auto& step : steps) {
        ASSERT_EQ(shaper->put_ShowPicture(step.showPicture), S_OK);
        const HRESULT status = step.picture ? load(*step.picture).status : shaper->Restore();
        ASSERT_EQ(status, S_OK) << step.what;
        EXPECT_EQ(softEdges(false).size(), step.shown) << step.what;
        EXPECT_EQ(softEdges().size(), step.kept) << step.what;
    }

    // A form behind another window is not raised by its new edge, and the edge never covers
    // that window; once the form comes to the top, the edge lies directly below it.
    const auto cover =
        win::makeCom<container::Form>(container::FormDesign{L"Cover", 4800, 3600, 2, true});
    cover->show();
    ASSERT_EQ(load(softPicture).status, S_OK);
    bool coverAbove = false;
    for (HWND window = ::GetWindow(form, GW_HWNDPREV); window;
         window = ::GetWindow(window, GW_HWNDPREV))
        coverAbove = coverAbove || window == cover->hwnd();
    EXPECT_TRUE(coverAbove) << "the form was raised";
    const std::vector<HWND> shown = softEdges(false);
    EXPECT_TRUE(shown.empty() || ::GetWindow(form, GW_HWNDNEXT) == shown.front());
    ::SetWindowPos(form, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(edgeMismatch(form), "") << "after the form came to the top";
}

// Where the system has no layered windows (some remote sessions) the form is shaped as
// without an edge; the edge goes with the form's window and with the control.
TEST_F(LoadLimits, SoftEdgeRefusedLeavesTheFormShapedAndGoesWithTheFormOrTheControl) {
    const AlphaImage soft = makeSoftFigure(120, 90);
    const runtime::Picture softPicture = alphaPicture(L"soft.bmp", soft);
    ASSERT_EQ(control_.query<_Cutshape>()->put_AutomaticMaskColor(VARIANT_TRUE), S_OK);
    ASSERT_EQ(control_.query<_Cutshape>()->put_ShowPicture(VARIANT_TRUE), S_OK);
    form_->show();
    ASSERT_EQ(load(alphaPicture(L"hard.bmp", withoutFringe(soft))).status, S_OK);
    const core::Rects outline = windowRegion();
    {
        win::GdiWatch watch;
        watch.refuseLayeredWindows(true);
        ASSERT_EQ(load(softPicture).status, S_OK);
        EXPECT_TRUE(softEdges().empty());
        EXPECT_EQ(windowRegion(), outline);
        EXPECT_EQ(watch.liveSurfaces(), 0u) << "the refused edge's image is gone";
    }
    ASSERT_EQ(load(softPicture).status, S_OK);
    ASSERT_EQ(softEdges().size(), 1u);
    control_.reset();
    site_->close();
    site_.reset();
    EXPECT_TRUE(softEdges().empty()) << "after the control was released";

    HostedControl other(container::FormDesign{L"Soft edge form", 4800, 3600, 2, true}, true);
    ASSERT_EQ(put(other.control.get(), dispid::kShowPicture, variantOfBool(true)).status, S_OK);
    ASSERT_EQ(put(other.control.get(), dispid::kAutomaticMaskColor, variantOfBool(true)).status,
              S_OK);
    other.form->show();
    ASSERT_EQ(loadCall(other.control.get(), softPicture).status, S_OK);
    ASSERT_EQ(softEdges().size(), 1u);
    ::DestroyWindow(other.form->hwnd());
    EXPECT_TRUE(softEdges().empty()) << "after the form's window was destroyed";
}

// No top-level window can lie below a child window (an MDI child form, say): a child form
// is shaped without an edge, a top-level one with it.
TEST_F(LoadLimits, ChildWindowFormGetsNoSoftEdge) {
    const runtime::Picture softPicture = alphaPicture(L"soft.bmp", makeSoftFigure(120, 90));
    const HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150,
                                         form_->hwnd(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(child);
    form_->show();
    control::WindowPictures pictures;
    for (const HWND window : {child, form_->hwnd()}) {
        control::ControlProperties properties;
        control::Shaper shaper(properties, [&](const runtime::Resolution& at) {
            return control::windowAsHostForm(window, pictures, at);
        });
        properties.setShowPicture(VARIANT_TRUE);
        properties.setAutomaticMaskColor(VARIANT_TRUE);
        shaper.load(softPicture);
        EXPECT_EQ(shaper.softEdge().window() != nullptr, window != child);
    }
    ::DestroyWindow(child);
}

} // namespace
} // namespace cutshape
