#include "control/interfaces.h"
#include "control/persistence.h"
#include "control/region_builder.h"
#include "core/region_check.h"
#include "runtime/picture.h"
#include "runtime/picture_alpha.h"
#include "runtime/screen.h"
#include "tests/control/control_harness.h"
#include "tests/control/stored_forms.h"
#include "tests/control/verbatim_bag.h"
#include "tests/support/fake_picture.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "tests/support/windows_pictures.h"
#include "win/region.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <olectl.h>
#include <sstream>

namespace cutshape {
namespace {

using namespace test;
constexpr HRESULT kNoPictureSet = static_cast<HRESULT>(0x800403E9);

class CutshapeControl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }

    runtime::Picture pictureFile(const std::wstring& name, const Image& image) {
        return runtime::loadPicture(folder_.write(name, writeBmp24(image)).wstring());
    }

    static container::FormDesign formDesign() {
        return container::FormDesign{L"Cutshape test form", 4800, 3600, 2, true};
    }

    TempFolder folder_;
};

std::string figureMismatch(const core::Rects& rects, const Image& image, core::Color mask) {
    return test::regionMismatch(
        rects, test::referenceFigure(image.view(), image.width(), image.height(), mask));
}

TEST_F(CutshapeControl, NewInstanceStartsZeroedAndKeepsItsSize) {
    HostedControl hosted(formDesign(), true);
    EXPECT_EQ(get(hosted.control.get(), dispid::kMaskColor).result.get()->lVal, 0);
    EXPECT_EQ(get(hosted.control.get(), dispid::kShowPicture).result.get()->boolVal, VARIANT_FALSE);
    EXPECT_EQ(get(hosted.control.get(), dispid::kAutomaticMaskColor).result.get()->boolVal,
              VARIANT_FALSE);
    const Call picture = get(hosted.control.get(), dispid::kPicture);
    ASSERT_EQ(picture.status, S_OK);
    EXPECT_EQ(picture.result.get()->vt, VT_DISPATCH);

    const auto object = win::ComPtr<IDispatch>(hosted.control).query<IOleObject>();
    SIZEL size{5000, 7000};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 953); // 540 twips, the creation size, whatever it was given
    EXPECT_EQ(size.cy, 953);
    DWORD misc = 0;
    ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, 132497u);
}

TEST_F(CutshapeControl, NamesMapToTheFixedDispatchIdentifiers) {
    HostedControl hosted(formDesign(), true);
    const std::pair<const wchar_t*, DISPID> members[] = {
        {L"Picture", dispid::kPicture},
        {L"Load", dispid::kLoad},
        {L"Restore", dispid::kRestore},
        {L"Move", dispid::kMove},
        {L"Refresh", dispid::kRefresh},
        {L"About", dispid::kAbout},
        {L"MaskColor", dispid::kMaskColor},
        {L"ShowPicture", dispid::kShowPicture},
        {L"AutomaticMaskColor", dispid::kAutomaticMaskColor},
    };
    for (const auto& [name, expected] : members) {
        DISPID id = 0;
        auto* names = const_cast<LPOLESTR>(name);
        ASSERT_EQ(hosted.control->GetIDsOfNames(IID_NULL, &names, 1, 0, &id), S_OK) << name;
        EXPECT_EQ(id, expected) << name;
    }
}

TEST_F(CutshapeControl, LoadWithoutAnyPictureRaisesNoPictureSetAndChangesNothing) {
    HostedControl hosted(formDesign(), true);
    const SIZE before = windowSize(hosted.form->hwnd());
    for (const bool leftOut : {true, false}) {
        const Call load = leftOut ? call(hosted.control.get(), dispid::kLoad)
                                  : call(hosted.control.get(), dispid::kLoad, {missingArgument()});
        ASSERT_EQ(load.status, DISP_E_EXCEPTION);
        EXPECT_EQ(load.exception.scode, kNoPictureSet);
        EXPECT_EQ(load.source(), L"Cutshape");
        EXPECT_EQ(load.description(), L"No Picture Set.");
    }
    // Through the interface: the status code with the same error information attached.
    const auto dual = win::ComPtr<IDispatch>(hosted.control).query<_Cutshape>();
    EXPECT_EQ(dual->Load(nullptr), kNoPictureSet);
    win::ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.put()), S_OK);
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_STREQ(description, L"No Picture Set.");
    ::SysFreeString(description);
    const auto errors = win::ComPtr<IDispatch>(hosted.control).query<ISupportErrorInfo>();
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(kCutshapeInterface), S_OK);

    EXPECT_EQ(windowSize(hosted.form->hwnd()).cx, before.cx);
    EXPECT_TRUE(windowRegion(hosted.form->hwnd()).empty());
}

// Load answered a caller that passed no EXCEPINFO with its error code itself (0x800403E9)
// instead of DISP_E_EXCEPTION, unlike every other member.
TEST_F(CutshapeControl, LoadErrorWithoutExceptionInfoIsStillADispatchException) {
    HostedControl hosted(formDesign(), true);
    DISPPARAMS none{};
    EXPECT_EQ(hosted.control->Invoke(dispid::kLoad, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                     &none, nullptr, nullptr, nullptr),
              DISP_E_EXCEPTION);
    // The error stays for the caller to read.
    win::ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.put()), S_OK);
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_STREQ(description, L"No Picture Set.");
    ::SysFreeString(description);

    // Another member's error without an EXCEPINFO: a picture whose size cannot be read.
    test::FakePictureBehaviour behaviour;
    behaviour.widthStatus = E_FAIL;
    const auto fake = win::makeCom<test::FakePicture>(behaviour);
    VARIANT unreadable = variantOf(static_cast<IDispatch*>(static_cast<IPictureDisp*>(fake.get())));
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS refused{&unreadable, &named, 1, 1};
    EXPECT_EQ(hosted.control->Invoke(dispid::kPicture, IID_NULL, LOCALE_USER_DEFAULT,
                                     DISPATCH_PROPERTYPUTREF, &refused, nullptr, nullptr, nullptr),
              DISP_E_EXCEPTION);
}

// The image as a screen of `dpi` shows it: each pixel dpi/96 pixels wide, nearest-neighbour,
// every screen pixel taking the picture pixel under its top-left corner (as GDI's
// COLORONCOLOR stretch does here).
Image scaledForDpi(const Image& image, int dpi) {
    const auto scaled = [dpi](std::int32_t pixels) {
        return static_cast<std::int32_t>(std::nearbyint(pixels * dpi / 96.0));
    };
    Image result(scaled(image.width()), scaled(image.height()));
    for (std::int32_t y = 0; y < result.height(); ++y)
        for (std::int32_t x = 0; x < result.width(); ++x)
            result.set(x, y,
                       image.get(x * image.width() / result.width(),
                                 y * image.height() / result.height()));
    return result;
}

// Tells the form's window of a new resolution, as the system tells a per-monitor aware
// program whose window moved to another monitor, suggesting the rectangle scaled.
void changeResolution(HWND window, int fromDpi, int toDpi) {
    RECT suggested{};
    ::GetWindowRect(window, &suggested);
    suggested.right = suggested.left + ::MulDiv(suggested.right - suggested.left, toDpi, fromDpi);
    suggested.bottom = suggested.top + ::MulDiv(suggested.bottom - suggested.top, toDpi, fromDpi);
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(toDpi, toDpi),
                   reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(CutshapeControl, NewResolutionShapesOrRestoresTheFormAgainAtIt) {
    const int screenDpi = runtime::screenResolution().dpiX;
    HostedControl hosted(formDesign(), true);
    const HWND window = hosted.form->hwnd();
    const SIZE designed = windowSize(window);
    put(hosted.control.get(), dispid::kMaskColor, variantOf(LONG{0x00FFFFFF}));
    // Sides that every resolution here scales to whole pixels, so that where each screen
    // pixel samples the picture does not depend on how the system rounds.
    const Image image = makeFigure(120, 90);
    const runtime::Picture picture = pictureFile(L"dpi.bmp", image);
    ASSERT_EQ(loadCall(hosted.control.get(), picture).status, S_OK);

    changeResolution(window, screenDpi, 144);
    const Image at144 = scaledForDpi(image, 144);
    EXPECT_EQ(windowSize(window).cx, at144.width());
    EXPECT_EQ(windowSize(window).cy, at144.height());
    EXPECT_EQ(figureMismatch(windowRegion(window), at144, 0x00FFFFFF), "");
    // Later operations run at the window's new resolution too: Restore gives the remembered
    // size in twips, in pixels of 144 dpi.
    ASSERT_EQ(call(hosted.control.get(), dispid::kRestore).status, S_OK);
    const SIZE restored{::MulDiv(designed.cx, 144, screenDpi),
                        ::MulDiv(designed.cy, 144, screenDpi)};
    EXPECT_EQ(windowRegion(window), (core::Rects{{0, 0, restored.cx, restored.cy}}));

    // A restored form is restored again at the next resolution, and loads there.
    changeResolution(window, 144, 192);
    const SIZE at192{::MulDiv(designed.cx, 192, screenDpi), ::MulDiv(designed.cy, 192, screenDpi)};
    EXPECT_EQ(windowRegion(window), (core::Rects{{0, 0, at192.cx, at192.cy}}));
    ASSERT_EQ(call(hosted.control.get(), dispid::kLoad).status, S_OK);
    EXPECT_EQ(figureMismatch(windowRegion(window), scaledForDpi(image, 192), 0x00FFFFFF), "");
    changeResolution(window, 192, screenDpi);
    EXPECT_EQ(figureMismatch(windowRegion(window), scaledForDpi(image, screenDpi), 0x00FFFFFF), "");
}

// The soft edge beside the form is drawn again at the window's new resolution: its place
// from the form's origin and its size scale with the picture.
TEST_F(CutshapeControl, NewResolutionScalesTheSoftEdgeWithTheForm) {
    const int screenDpi = runtime::screenResolution().dpiX;
    HostedControl hosted(formDesign(), true);
    const HWND window = hosted.form->hwnd();
    put(hosted.control.get(), dispid::kShowPicture, variantOfBool(true));
    put(hosted.control.get(), dispid::kAutomaticMaskColor, variantOfBool(true));
    hosted.form->show();
    const auto picture = runtime::pictureFromBytes(writeBmp32(makeSoftFigure(120, 90)), L"soft");
    ASSERT_EQ(loadCall(hosted.control.get(), picture).status, S_OK);
    const auto edgeFromForm = [&] {
        RECT form{};
        RECT edge{};
        ::GetWindowRect(window, &form);
        ::GetWindowRect(::FindWindowExW(nullptr, nullptr, L"CutshapeSoftEdge", nullptr), &edge);
        return RECT{edge.left - form.left, edge.top - form.top, edge.right - form.left,
                    edge.bottom - form.top};
    };
    const RECT before = edgeFromForm();
    ASSERT_GT(before.right - before.left, 0);
    changeResolution(window, screenDpi, 144);
    const RECT after = edgeFromForm();
    // Scaled nearest-neighbour, a side may differ from the exact scale by a pixel.
    for (const auto& [was, now] : {std::pair{before.left, after.left},
                                   {before.top, after.top},
                                   {before.right, after.right},
                                   {before.bottom, after.bottom}})
        EXPECT_NEAR(now, ::MulDiv(was, 144, screenDpi), 2) << was;
}

TEST_F(CutshapeControl, LoadWithoutAnySiteRaisesAClearErrorInsteadOfCrashing) {
    const auto control = ControlLibrary::instance().create().query<IDispatch>();
    const runtime::Picture picture = pictureFile(L"nosite.bmp", makeFigure(40, 30));
    const Call load = loadCall(control.get(), picture);
    ASSERT_EQ(load.status, DISP_E_EXCEPTION);
    EXPECT_EQ(load.exception.scode, STD_CTL_SCODE(398));
    EXPECT_NE(load.description().find(L"Client site not available"), std::wstring::npos);
    EXPECT_EQ(call(control.get(), dispid::kRestore).exception.scode, STD_CTL_SCODE(398));
}

// The automatic mask colour reaches the shaping: the picture's top-left colour is cut, not
// MaskColor (black here, the figure's colour). The form shows the very picture it was given.
TEST_F(CutshapeControl, AutomaticMaskColorCutsThePicturesTopLeftColour) {
    HostedControl hosted(formDesign(), true);
    put(hosted.control.get(), dispid::kShowPicture, variantOfBool(true));
    put(hosted.control.get(), dispid::kAutomaticMaskColor, variantOfBool(true));
    const Image image = makeFigure(140, 60, 0x0000FF00, 0x00000000);
    const runtime::Picture picture = pictureFile(L"a.bmp", image);
    ASSERT_EQ(loadCall(hosted.control.get(), picture).status, S_OK);
    EXPECT_EQ(figureMismatch(windowRegion(hosted.form->hwnd()), image, 0x0000FF00), "");
    EXPECT_TRUE(hosted.form->picture() == picture); // shared, not copied
}

TEST_F(CutshapeControl, RestoreBeforeAnyLoadKeepsTheFormAndGivesFullRectangle) {
    HostedControl hosted(formDesign(), true);
    const SIZE designed = windowSize(hosted.form->hwnd());
    ASSERT_EQ(call(hosted.control.get(), dispid::kRestore).status, S_OK);
    EXPECT_EQ(windowSize(hosted.form->hwnd()).cx, designed.cx);
    EXPECT_EQ(windowRegion(hosted.form->hwnd()), (core::Rects{{0, 0, designed.cx, designed.cy}}));
}

// A failure reported as success: a picture whose size could not be read shrank the form to
// nothing and Load answered S_OK.
TEST_F(CutshapeControl, PictureWhoseSizeCannotBeReadIsAnErrorAndChangesNothing) {
    constexpr HRESULT kRefused = static_cast<HRESULT>(0x80040777);
    HostedControl hosted(formDesign(), true);
    put(hosted.control.get(), dispid::kMaskColor, variantOf(LONG{0x00FFFFFF}));
    const Image image = makeFigure(120, 90);
    const runtime::Picture shaped = pictureFile(L"shaped.bmp", image);
    ASSERT_EQ(loadCall(hosted.control.get(), shaped).status, S_OK);
    const core::Rects region = windowRegion(hosted.form->hwnd());

    for (const bool widthFails : {true, false}) {
        SCOPED_TRACE(widthFails ? "Width fails" : "Height fails");
        test::FakePictureBehaviour behaviour;
        (widthFails ? behaviour.widthStatus : behaviour.heightStatus) = kRefused;
        const auto fake = win::makeCom<test::FakePicture>(behaviour);
        const Call load =
            call(hosted.control.get(), dispid::kLoad,
                 {variantOf(static_cast<IDispatch*>(static_cast<IPictureDisp*>(fake.get())))});
        ASSERT_EQ(load.status, DISP_E_EXCEPTION);
        EXPECT_EQ(load.exception.scode, kRefused);
        EXPECT_EQ(windowSize(hosted.form->hwnd()).cx, 120);
        EXPECT_EQ(windowSize(hosted.form->hwnd()).cy, 90);
        EXPECT_EQ(windowRegion(hosted.form->hwnd()), region);
        // The staged picture is still the last one that could be shaped.
        EXPECT_TRUE(runtime::Picture::fromObject(
                        get(hosted.control.get(), dispid::kPicture).result.get()->pdispVal) ==
                    shaped);
    }
}

// A picture too large to stage (an extreme height from a picture object) was taken on by
// Load and left Restore to run out of memory with the form still shaped.
TEST_F(CutshapeControl, PictureTooLargeToStageIsRefusedBeforeTheFormChanges) {
    HostedControl hosted(formDesign(), true);
    put(hosted.control.get(), dispid::kMaskColor, variantOf(LONG{0x00FFFFFF}));
    const runtime::Picture shaped = pictureFile(L"shaped.bmp", makeFigure(120, 90));
    ASSERT_EQ(loadCall(hosted.control.get(), shaped).status, S_OK);
    const core::Rects region = windowRegion(hosted.form->hwnd());

    const auto himetricX = [](LONG px) {
        return ::MulDiv(px, 2540, runtime::screenResolution().dpiX);
    };
    const auto himetricY = [](LONG px) {
        return ::MulDiv(px, 2540, runtime::screenResolution().dpiY);
    };
    const struct {
        const char* what;
        test::FakePictureBehaviour behaviour;
    } tooLarge[] = {
        {"the largest height a picture can report", {himetricX(1), 0x7FFFFFFF}},
        {"the largest width a picture can report", {0x7FFFFFFF, himetricY(1)}},
        {"a side longer than a window can be", {himetricX(32768), himetricY(1)}},
        {"more pixels than a staging image may hold", {himetricX(8208), himetricY(8208)}},
    };
    for (const auto& each : tooLarge) {
        SCOPED_TRACE(each.what);
        const auto fake = win::makeCom<test::FakePicture>(each.behaviour);
        const Call load =
            call(hosted.control.get(), dispid::kLoad,
                 {variantOf(static_cast<IDispatch*>(static_cast<IPictureDisp*>(fake.get())))});
        ASSERT_EQ(load.status, DISP_E_EXCEPTION);
        EXPECT_EQ(load.exception.scode, CTL_E_OUTOFMEMORY);
        EXPECT_EQ(fake->renders(), 0);
        EXPECT_EQ(windowSize(hosted.form->hwnd()).cx, 120);
        EXPECT_EQ(windowSize(hosted.form->hwnd()).cy, 90);
        EXPECT_EQ(windowRegion(hosted.form->hwnd()), region);
        EXPECT_TRUE(runtime::Picture::fromObject(
                        get(hosted.control.get(), dispid::kPicture).result.get()->pdispVal) ==
                    shaped);
    }
    // The longest side a window can take is still accepted, and Restore after it works.
    const auto longest =
        win::makeCom<test::FakePicture>(test::FakePictureBehaviour{himetricX(1), himetricY(32767)});
    EXPECT_EQ(call(hosted.control.get(), dispid::kLoad,
                   {variantOf(static_cast<IDispatch*>(static_cast<IPictureDisp*>(longest.get())))})
                  .status,
              S_OK);
    EXPECT_EQ(call(hosted.control.get(), dispid::kRestore).status, S_OK);
}

TEST_F(CutshapeControl, PictureIsAssignedByReferenceOnly) {
    HostedControl hosted(formDesign(), true);
    const runtime::Picture picture = pictureFile(L"p.bmp", makeFigure(20, 20));
    ASSERT_EQ(putRef(hosted.control.get(), dispid::kPicture, picture.dispatch().get()).status,
              S_OK);
    const Call read = get(hosted.control.get(), dispid::kPicture);
    ASSERT_EQ(read.result.get()->vt, VT_DISPATCH);
    EXPECT_TRUE(runtime::Picture::fromObject(read.result.get()->pdispVal) == picture);
    EXPECT_NE(
        put(hosted.control.get(), dispid::kPicture, variantOf(picture.dispatch().get())).status,
        S_OK);
    // An object that is not a picture is refused and the old picture stays.
    const Call wrong =
        putRef(hosted.control.get(), dispid::kPicture, static_cast<IDispatch*>(hosted.form.get()));
    EXPECT_NE(wrong.status, S_OK);
    EXPECT_TRUE(runtime::Picture::fromObject(
                    get(hosted.control.get(), dispid::kPicture).result.get()->pdispVal) == picture);
}

// Script clients have no Nothing: Load(null) was a type mismatch and "Picture = null" a
// missing member. Null and empty values mean no picture, by value or by reference.
TEST_F(CutshapeControl, ScriptNullAndEmptyMeanNoPicture) {
    HostedControl hosted(formDesign(), true);
    put(hosted.control.get(), dispid::kMaskColor, variantOf(LONG{0x00FFFFFF}));
    VARIANT null;
    null.vt = VT_NULL;
    VARIANT empty;
    empty.vt = VT_EMPTY;
    VARIANT nullByReference;
    nullByReference.vt = VT_BYREF | VT_VARIANT;
    nullByReference.pvarVal = &null;
    for (const VARIANT& none : {null, empty, nullByReference}) {
        SCOPED_TRACE(none.vt);
        const Call load = call(hosted.control.get(), dispid::kLoad, {none});
        ASSERT_EQ(load.status, DISP_E_EXCEPTION);
        EXPECT_EQ(load.exception.scode, kNoPictureSet);
        EXPECT_EQ(load.description(), L"No Picture Set.");
    }

    const Image image = makeFigure(60, 40);
    const runtime::Picture picture = pictureFile(L"script.bmp", image);
    for (const VARIANT& none : {null, empty, nullByReference}) {
        SCOPED_TRACE(none.vt);
        ASSERT_EQ(putRef(hosted.control.get(), dispid::kPicture, picture.dispatch().get()).status,
                  S_OK);
        // As Nothing: Load keeps the staged picture and shapes the form to it.
        ASSERT_EQ(call(hosted.control.get(), dispid::kLoad, {none}).status, S_OK);
        EXPECT_EQ(figureMismatch(windowRegion(hosted.form->hwnd()), image, 0x00FFFFFF), "");
        // A property put of no picture clears the picture.
        const Call cleared = put(hosted.control.get(), dispid::kPicture, none);
        ASSERT_EQ(cleared.status, S_OK);
        const Call read = get(hosted.control.get(), dispid::kPicture);
        ASSERT_EQ(read.result.get()->vt, VT_DISPATCH);
        EXPECT_EQ(read.result.get()->pdispVal, nullptr);
        EXPECT_EQ(call(hosted.control.get(), dispid::kLoad).exception.scode, kNoPictureSet);
    }
    // Other values keep their answers: a number is no picture object, and a put of a picture
    // object by value is still refused (pictures are assigned by reference).
    EXPECT_EQ(put(hosted.control.get(), dispid::kPicture, variantOf(LONG{0})).status,
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(
        put(hosted.control.get(), dispid::kPicture, variantOf(picture.dispatch().get())).status,
        DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(hosted.control.get(), dispid::kLoad, {variantOf(LONG{0})}).status,
              DISP_E_TYPEMISMATCH);
}

TEST_F(CutshapeControl, WrongArgumentsAreDispatchErrorsNotCrashes) {
    HostedControl hosted(formDesign(), true);
    BSTR text = ::SysAllocString(L"not a colour");
    EXPECT_EQ(put(hosted.control.get(), dispid::kMaskColor, variantOf(text)).status,
              DISP_E_TYPEMISMATCH);
    ::SysFreeString(text);
    EXPECT_EQ(call(hosted.control.get(), dispid::kLoad, {variantOf(LONG{5})}).status,
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(
        call(hosted.control.get(), dispid::kLoad, {missingArgument(), missingArgument()}).status,
        DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(hosted.control.get(), dispid::kRestore, {variantOf(LONG{1})}).status,
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(hosted.control.get(), 12345).status, DISP_E_MEMBERNOTFOUND);
    const auto dual = win::ComPtr<IDispatch>(hosted.control).query<_Cutshape>();
    EXPECT_EQ(dual->get_MaskColor(nullptr), E_POINTER);
    EXPECT_EQ(dual->get_ShowPicture(nullptr), E_POINTER);
    EXPECT_EQ(dual->get_Picture(nullptr), E_POINTER);
}

// How a malformed call lays out its parameter block.
enum class Block {
    NullArguments,         // one argument counted, no argument array
    NullNames,             // one named argument counted, no array of names
    NamesWithoutArguments, // a named argument counted, no arguments and no array of names
    SelfReference,         // a by-reference variant that points to itself
    ReferenceToReference,  // a by-reference variant that points to another
    NullVariantReference,  // by-reference arguments that point nowhere ...
    ReferenceToNullReference,
    NullDispatchReference,
    NullUnknownReference,
    NullLongReference,
    VariantReference, // one level of reference to a picture: an ordinary argument
    DispatchReference,
};

struct Member {
    const char* name;
    DISPID id;
    WORD flags;
};

// A by-reference variant that pointed to itself made Load loop forever; counts without arrays
// and references without a target crashed Load and the property puts. The block is checked
// before anything reads it: E_INVALIDARG for a count without its array, DISP_E_TYPEMISMATCH
// at the argument's position for a reference that points nowhere or to another reference.
TEST_F(CutshapeControl, MalformedParameterBlocksAreRefusedBeforeAnythingReadsThem) {
    HostedControl hosted(formDesign(), true);
    const runtime::Picture picture = pictureFile(L"block.bmp", makeFigure(40, 30));
    const win::ComPtr<IPictureDisp> pictureObject = picture.dispatch();
    IDispatch* pictureDispatch = pictureObject.get();
    const Member load{"Load", dispid::kLoad, DISPATCH_METHOD};
    const Member pictureRef{"Picture putref", dispid::kPicture, DISPATCH_PROPERTYPUTREF};
    const Member maskColor{"MaskColor put", dispid::kMaskColor, DISPATCH_PROPERTYPUT};
    const Member showPicture{"ShowPicture put", dispid::kShowPicture, DISPATCH_PROPERTYPUT};
    const Member restore{"Restore", dispid::kRestore, DISPATCH_METHOD};
    const Member maskColorGet{"MaskColor get", dispid::kMaskColor, DISPATCH_PROPERTYGET};
    const struct {
        Block block;
        HRESULT status;
        std::vector<Member> members;
    } cases[] = {
        {Block::NullArguments, E_INVALIDARG, {load, pictureRef, maskColor, showPicture}},
        {Block::NullNames, E_INVALIDARG, {load, pictureRef, maskColor}},
        {Block::NamesWithoutArguments, E_INVALIDARG, {restore, maskColorGet}},
        {Block::SelfReference, DISP_E_TYPEMISMATCH, {load, pictureRef, maskColor, showPicture}},
        {Block::ReferenceToReference, DISP_E_TYPEMISMATCH, {load, pictureRef, maskColor}},
        {Block::NullVariantReference, DISP_E_TYPEMISMATCH, {load, pictureRef, maskColor}},
        {Block::ReferenceToNullReference, DISP_E_TYPEMISMATCH, {load, pictureRef}},
        {Block::NullDispatchReference, DISP_E_TYPEMISMATCH, {load, pictureRef}},
        {Block::NullUnknownReference, DISP_E_TYPEMISMATCH, {load, pictureRef}},
        {Block::NullLongReference, DISP_E_TYPEMISMATCH, {load, maskColor, showPicture}},
        {Block::VariantReference, S_OK, {load, pictureRef}},
        {Block::DispatchReference, S_OK, {load, pictureRef}},
    };
    const auto reference = [](VARIANT& value, VARTYPE type, void* target) {
        value.vt = static_cast<VARTYPE>(VT_BYREF | type);
        value.byref = target;
    };
    constexpr UINT kUnset = 0xFFFFFFFF;
    for (const auto& each : cases) {
        for (const Member& member : each.members) {
            SCOPED_TRACE(::testing::Message() << member.name << ", block " << int(each.block));
            VARIANT argument{}, inner{}, innermost{};
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS parameters{&argument, nullptr, 1, 0};
            if (member.flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
                parameters = DISPPARAMS{&argument, &named, 1, 1};
            switch (each.block) {
            case Block::NullArguments:
                parameters.rgvarg = nullptr;
                break;
            case Block::NullNames:
                argument = variantOf(pictureDispatch);
                parameters.rgdispidNamedArgs = nullptr;
                parameters.cNamedArgs = 1;
                break;
            case Block::NamesWithoutArguments:
                parameters = DISPPARAMS{nullptr, nullptr, 0, 1};
                break;
            case Block::SelfReference:
                reference(argument, VT_VARIANT, &argument);
                break;
            case Block::ReferenceToReference:
                innermost = variantOf(pictureDispatch);
                reference(inner, VT_VARIANT, &innermost);
                reference(argument, VT_VARIANT, &inner);
                break;
            case Block::NullVariantReference:
                reference(argument, VT_VARIANT, nullptr);
                break;
            case Block::ReferenceToNullReference:
                reference(inner, VT_DISPATCH, nullptr);
                reference(argument, VT_VARIANT, &inner);
                break;
            case Block::NullDispatchReference:
                reference(argument, VT_DISPATCH, nullptr);
                break;
            case Block::NullUnknownReference:
                reference(argument, VT_UNKNOWN, nullptr);
                break;
            case Block::NullLongReference:
                reference(argument, VT_I4, nullptr);
                break;
            case Block::VariantReference:
                inner = variantOf(pictureDispatch);
                reference(argument, VT_VARIANT, &inner);
                break;
            case Block::DispatchReference:
                reference(argument, VT_DISPATCH, &pictureDispatch);
                break;
            }
            Call made;
            made.argumentError = kUnset;
            made.status = hosted.control->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT,
                                                 member.flags, &parameters, made.result.get(),
                                                 &made.exception, &made.argumentError);
            EXPECT_EQ(made.status, each.status);
            EXPECT_EQ(made.argumentError, each.status == DISP_E_TYPEMISMATCH ? 0u : kUnset);
        }
    }
}

TEST_F(CutshapeControl, EarlierIdentifiersAnswerWithCurrentInterfaces) {
    HostedControl hosted(formDesign(), true);
    win::ComPtr<IUnknown> current;
    win::ComPtr<IUnknown> earlier;
    ASSERT_EQ(hosted.control->QueryInterface(kCutshapeInterface, current.putVoid()), S_OK);
    ASSERT_EQ(hosted.control->QueryInterface(kEarlierCutshapeInterface, earlier.putVoid()), S_OK);
    EXPECT_EQ(current.get(), earlier.get());

    const auto container =
        win::ComPtr<IDispatch>(hosted.control).query<IConnectionPointContainer>();
    for (const IID& events : {kEventInterface, kEarlierEventInterface}) {
        win::ComPtr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(events, point.put()), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(static_cast<IDispatch*>(hosted.form.get()), &cookie), S_OK);
        EXPECT_EQ(point->Unadvise(cookie), S_OK);
    }
    win::ComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, none.put()), CONNECT_E_NOCONNECTION);
}

TEST_F(CutshapeControl, ServerUnloadsOnlyWithoutObjectsOrLocks) {
    ControlLibrary& library = ControlLibrary::instance();
    ASSERT_EQ(library.canUnloadNow(), S_OK);
    {
        const win::ComPtr<IUnknown> control = library.create();
        EXPECT_EQ(library.canUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(library.canUnloadNow(), S_OK);
    const win::ComPtr<IClassFactory> factory = library.factory();
    factory->LockServer(TRUE);
    EXPECT_EQ(library.canUnloadNow(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(library.canUnloadNow(), S_OK);
}

TEST_F(CutshapeControl, DesignModeMakesTheFormBorderlessAndKeepsTaskbarSetting) {
    container::FormDesign design = formDesign();
    design.showInTaskbar = false;
    HostedControl hosted(design, false);
    const auto object = win::ComPtr<IDispatch>(hosted.control).query<IOleInPlaceObject>();
    HWND face = nullptr;
    ASSERT_EQ(object->GetWindow(&face), S_OK);
    hosted.form->show();
    ::RedrawWindow(face, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); // runs Paint
    EXPECT_EQ(::GetWindowLongPtrW(hosted.form->hwnd(), GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_NE(::GetWindowLongPtrW(hosted.form->hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
}

// ---- persistence ----

win::ComPtr<container::PropertyBag> savedBag(IDispatch* control, bool saveAll) {
    auto bag = win::makeCom<container::PropertyBag>();
    const auto persist = win::ComPtr<IDispatch>(control).query<IPersistPropertyBag>();
    EXPECT_EQ(persist->Save(bag.get(), TRUE, saveAll ? TRUE : FALSE), S_OK);
    return bag;
}

TEST_F(CutshapeControl, NewInstanceSavesOnlyWhatDiffersFromTheDefaults) {
    HostedControl hosted(formDesign(), false);
    const auto bag = savedBag(hosted.control.get(), false);
    ASSERT_TRUE(bag->find(L"ShowPicture"));
    EXPECT_EQ(bag->find(L"ShowPicture")->boolVal, VARIANT_FALSE);
    ASSERT_TRUE(bag->find(L"AutomaticMaskColor"));
    EXPECT_EQ(bag->find(L"AutomaticMaskColor")->boolVal, VARIANT_FALSE);
    EXPECT_FALSE(bag->contains(L"MaskColor"));
    EXPECT_FALSE(bag->contains(L"Picture"));
}

TEST_F(CutshapeControl, StoredSetWithoutKeysGivesTheDefaults) {
    auto empty = win::makeCom<container::PropertyBag>();
    HostedControl hosted(formDesign(), true, empty.get());
    EXPECT_EQ(get(hosted.control.get(), dispid::kMaskColor).result.get()->lVal, 0);
    EXPECT_EQ(get(hosted.control.get(), dispid::kShowPicture).result.get()->boolVal, VARIANT_TRUE);
    EXPECT_EQ(get(hosted.control.get(), dispid::kAutomaticMaskColor).result.get()->boolVal,
              VARIANT_TRUE);
    const Call picture = get(hosted.control.get(), dispid::kPicture);
    ASSERT_EQ(picture.result.get()->vt, VT_DISPATCH);
    ASSERT_NE(picture.result.get()->pdispVal, nullptr); // an empty picture object
    EXPECT_TRUE(runtime::Picture::fromObject(picture.result.get()->pdispVal).isEmpty());
    // The empty picture counts as none: Load raises instead of sizing the form to nothing.
    const SIZE before = windowSize(hosted.form->hwnd());
    EXPECT_EQ(call(hosted.control.get(), dispid::kLoad).exception.scode, kNoPictureSet);
    EXPECT_EQ(windowSize(hosted.form->hwnd()).cx, before.cx);
}

TEST_F(CutshapeControl, StoredValuesAreConvertedAndRoundTrip) {
    auto stored = win::makeCom<container::PropertyBag>();
    VARIANT value;
    value.vt = VT_I4;
    value.lVal = 255;
    stored->set(L"maskcolor", value); // keys are case-insensitive
    value.vt = VT_I2;
    value.iVal = 1;
    stored->set(L"ShowPicture", value);
    // Larger than the smallest window a captioned form may have.
    const runtime::Picture picture = pictureFile(L"stored.bmp", makeFigure(230, 120));
    stored->set(L"Picture", variantOf(picture.dispatch().get()));
    HostedControl first(formDesign(), true, stored.get());
    EXPECT_EQ(get(first.control.get(), dispid::kMaskColor).result.get()->lVal, 255);
    EXPECT_EQ(get(first.control.get(), dispid::kShowPicture).result.get()->boolVal, VARIANT_TRUE);

    const auto saved = savedBag(first.control.get(), true);
    HostedControl second(formDesign(), true, saved.get());
    EXPECT_EQ(get(second.control.get(), dispid::kMaskColor).result.get()->lVal, 255);
    EXPECT_EQ(get(second.control.get(), dispid::kShowPicture).result.get()->boolVal, VARIANT_TRUE);
    EXPECT_EQ(get(second.control.get(), dispid::kAutomaticMaskColor).result.get()->boolVal,
              VARIANT_TRUE);
    EXPECT_TRUE(runtime::Picture::fromObject(
                    get(second.control.get(), dispid::kPicture).result.get()->pdispVal) == picture);
    // Load without an argument shapes the form to the stored picture.
    EXPECT_EQ(call(second.control.get(), dispid::kLoad).status, S_OK);
    EXPECT_EQ(windowSize(second.form->hwnd()).cx, 230);
}

TEST_F(CutshapeControl, StoredValuesOfTheWrongTypeEndReadingWithAnError) {
    auto stored = win::makeCom<container::PropertyBag>();
    BSTR text = ::SysAllocString(L"not a picture");
    stored->set(L"Picture", variantOf(text));
    try {
        HostedControl hosted(formDesign(), true, stored.get());
        FAIL() << "a text was accepted as the stored picture";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), STD_CTL_SCODE(13));
    }
    auto colour = win::makeCom<container::PropertyBag>();
    colour->set(L"MaskColor", variantOf(text));
    EXPECT_THROW(HostedControl(formDesign(), true, colour.get()), win::Error);
    ::SysFreeString(text);
}

// A bag that handed out a reference to a reference to nothing crashed the control in the
// system's conversion; every malformed reference is a stored value of the wrong type.
TEST_F(CutshapeControl, MalformedReferencesFromABagAreTypeMismatches) {
    const auto reference = [](VARTYPE type, void* target) {
        VARIANT value;
        value.vt = static_cast<VARTYPE>(VT_BYREF | type);
        value.byref = target;
        return value;
    };
    VARIANT toNothing = reference(VT_DISPATCH, nullptr);
    VARIANT self = reference(VT_VARIANT, nullptr);
    self.pvarVal = &self;
    const VARIANT malformed[] = {reference(VT_VARIANT, &toNothing), reference(VT_I4, nullptr),
                                 reference(VT_VARIANT, nullptr), self};
    for (const wchar_t* key : {L"Picture", L"MaskColor", L"AutomaticMaskColor", L"ShowPicture"}) {
        for (const VARIANT& value : malformed) {
            SCOPED_TRACE(::testing::Message() << "type " << value.vt);
            const auto bag = win::makeCom<test::VerbatimBag>();
            bag->set(key, value);
            HostedControl hosted(formDesign(), true);
            EXPECT_EQ(win::ComPtr<IDispatch>(hosted.control)
                          .query<IPersistPropertyBag>()
                          ->Load(bag.get(), nullptr),
                      STD_CTL_SCODE(13));
        }
    }
    // One level of reference is an ordinary stored value.
    LONG colour = 255;
    const auto bag = win::makeCom<test::VerbatimBag>();
    bag->set(L"MaskColor", reference(VT_I4, &colour));
    HostedControl hosted(formDesign(), true);
    ASSERT_EQ(win::ComPtr<IDispatch>(hosted.control)
                  .query<IPersistPropertyBag>()
                  ->Load(bag.get(), nullptr),
              S_OK);
    EXPECT_EQ(get(hosted.control.get(), dispid::kMaskColor).result.get()->lVal, 255);
}

// A leak on failed hosting: the control and its site kept each other alive, so the library
// never answered that it could unload.
TEST_F(CutshapeControl, FailedHostingLeavesNoObjectAlive) {
    auto stored = win::makeCom<container::PropertyBag>();
    BSTR text = ::SysAllocString(L"not a picture");
    stored->set(L"Picture", variantOf(text));
    ::SysFreeString(text);
    {
        const win::ComPtr<IUnknown> control = ControlLibrary::instance().create();
        const auto form = win::makeCom<container::Form>(formDesign());
        EXPECT_THROW(
            container::ControlSite::host(form, control, {L"Cutshape1", true, RECT{}}, stored.get()),
            win::Error);
        control->AddRef();
        EXPECT_EQ(control->Release(), 1u) << "the failed host still holds the control";
    }
    EXPECT_EQ(ControlLibrary::instance().canUnloadNow(), S_OK);
}

// The control's state saved to a new memory stream, which is left at its start.
win::ComPtr<IStream> savedStream(IDispatch* control) {
    const win::ComPtr<IStream> stream = memoryStream({});
    EXPECT_EQ(win::ComPtr<IDispatch>(control).query<IPersistStreamInit>()->Save(stream.get(), TRUE),
              S_OK);
    EXPECT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    return stream;
}

TEST_F(CutshapeControl, StreamKeepsValuesAndPicture) {
    HostedControl first(formDesign(), true);
    const runtime::Picture picture = pictureFile(L"s.bmp", makeFigure(25, 15));
    putRef(first.control.get(), dispid::kPicture, picture.dispatch().get());
    put(first.control.get(), dispid::kMaskColor, variantOf(LONG{0x123456}));
    put(first.control.get(), dispid::kAutomaticMaskColor, variantOfBool(true));
    const win::ComPtr<IStream> stream = savedStream(first.control.get());

    HostedControl second(formDesign(), true);
    ASSERT_EQ(
        win::ComPtr<IDispatch>(second.control).query<IPersistStreamInit>()->Load(stream.get()),
        S_OK);
    EXPECT_EQ(get(second.control.get(), dispid::kMaskColor).result.get()->lVal, 0x123456);
    EXPECT_EQ(get(second.control.get(), dispid::kAutomaticMaskColor).result.get()->boolVal,
              VARIANT_TRUE);
    const runtime::Picture loaded = runtime::Picture::fromObject(
        get(second.control.get(), dispid::kPicture).result.get()->pdispVal);
    EXPECT_EQ(loaded.sizePixels(96, 96).cx, 25);
    // Garbage is refused with an error, not read as state.
    const win::ComPtr<IStream> garbage = memoryStream(bytesOf("garbage!"));
    EXPECT_NE(
        win::ComPtr<IDispatch>(second.control).query<IPersistStreamInit>()->Load(garbage.get()),
        S_OK);
}

// A picture with alpha comes back with its alpha through the stream and the property bag; the
// stored 32-bit bitmap is also what the system's own picture loader reads.
TEST_F(CutshapeControl, StreamAndBagKeepAPicturesAlpha) {
    // A 3 x 2 bottom-up 32-bit bitmap file: the file and info headers, then the rows.
    std::vector<std::uint8_t> file(54);
    const auto put32 = [&](std::size_t at, std::uint32_t value) {
        std::memcpy(file.data() + at, &value, sizeof value);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, 54 + 24), put32(10, 54), put32(14, 40), put32(18, 3), put32(22, 2);
    put32(26, 1 | 32 << 16); // one plane, 32 bits per pixel, BI_RGB
    const std::uint32_t words[] = {0x00000000, 0x80402010, 0xFF112233,
                                   0x7F3F1F0F, 0xFFFFFFFF, 0x00000000};
    file.insert(file.end(), reinterpret_cast<const std::uint8_t*>(words),
                reinterpret_cast<const std::uint8_t*>(words) + sizeof words);
    const runtime::Picture picture = runtime::pictureFromBytes(file, L"alpha.bmp");
    const auto alphaOf = [](const runtime::Picture& shown) {
        const auto alpha = runtime::PictureAlpha::read(shown.get());
        return alpha ? alpha->scaled({3, 2}) : std::vector<std::uint32_t>{};
    };
    ASSERT_EQ(alphaOf(picture), (std::vector<std::uint32_t>{words[3], words[4], words[5], words[0],
                                                            words[1], words[2]}));

    HostedControl first(formDesign(), true);
    putRef(first.control.get(), dispid::kPicture, picture.dispatch().get());
    const win::ComPtr<IStream> stream = savedStream(first.control.get());
    HostedControl viaStream(formDesign(), true);
    ASSERT_EQ(
        win::ComPtr<IDispatch>(viaStream.control).query<IPersistStreamInit>()->Load(stream.get()),
        S_OK);
    HostedControl viaBag(formDesign(), true, savedBag(first.control.get(), false).get());
    for (IDispatch* control : {viaStream.control.get(), viaBag.control.get()})
        EXPECT_EQ(alphaOf(runtime::Picture::fromObject(
                      get(control, dispid::kPicture).result.get()->pdispVal)),
                  alphaOf(picture));
}

// The stream names the stored picture's class, and loading created whatever class it named
// (a damaged class identifier gave the standard font, loaded from the picture's bytes).
TEST_F(CutshapeControl, StreamThatNamesAnotherClassThanAPictureIsAnInvalidPicture) {
    HostedControl first(formDesign(), true);
    const runtime::Picture picture = pictureFile(L"c.bmp", makeFigure(25, 15));
    putRef(first.control.get(), dispid::kPicture, picture.dispatch().get());
    const win::ComPtr<IStream> stream = savedStream(first.control.get());
    // After the tag, the version and the picture flag: the picture's class identifier.
    LARGE_INTEGER classOffset{};
    classOffset.QuadPart = 7;
    ASSERT_EQ(stream->Seek(classOffset, STREAM_SEEK_SET, nullptr), S_OK);
    CLSID stored{};
    ASSERT_EQ(::ReadClassStm(stream.get(), &stored), S_OK);
    ASSERT_EQ(stored, CLSID_StdPicture);
    ASSERT_EQ(stream->Seek(classOffset, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(::WriteClassStm(stream.get(), CLSID_StdFont), S_OK);
    ASSERT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);

    HostedControl second(formDesign(), true);
    EXPECT_EQ(
        win::ComPtr<IDispatch>(second.control).query<IPersistStreamInit>()->Load(stream.get()),
        CTL_E_INVALIDPICTURE);
}

// ---- stored forms ----
//
// Each stored form of earlier builds must load to the values cases.txt gives and save to the
// same bytes again, so that forms stored by earlier builds keep loading.
// CUTSHAPE_UPDATE_GOLDEN=1 in the 64-bit build saves them again from cases.txt.

const std::filesystem::path& kGoldenForms = storedFormsFolder();

std::string hexText(const std::vector<std::uint8_t>& bytes, char lineEnd = '\n') {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text += "0123456789ABCDEF"[bytes[i] >> 4];
        text += "0123456789ABCDEF"[bytes[i] & 15];
        text += (i + 1 == bytes.size()) ? '\n' : i % 32 == 31 ? lineEnd : ' ';
    }
    return text;
}

// A picture as stored text: "nothing", "empty", or its file: the 32-bit bitmap that keeps its
// alpha, else the file OleSaveToStream writes after the class, "lt\0\0" and the size.
std::string pictureText(const runtime::Picture& picture) {
    if (picture.isNothing() || picture.isEmpty())
        return picture.isNothing() ? "nothing\n" : "empty\n";
    if (const auto alpha = runtime::PictureAlpha::read(picture.get()))
        return hexText(alpha->bitmapFile(), ' ');
    const win::ComPtr<IStream> stream = memoryStream({});
    const auto persist = win::ComPtr<IPicture>(picture.get()).query<IPersistStream>();
    EXPECT_EQ(::OleSaveToStream(persist.get(), stream.get()), S_OK);
    const std::vector<std::uint8_t> saved = streamBytes(stream.get());
    return hexText(std::vector<std::uint8_t>(saved.begin() + 24, saved.end()), ' ');
}

std::string savedBagText(IDispatch* control, bool saveAll) {
    const auto bag = win::makeCom<VerbatimBag>();
    EXPECT_EQ(win::ComPtr<IDispatch>(control).query<IPersistPropertyBag>()->Save(
                  bag.get(), TRUE, saveAll ? TRUE : FALSE),
              S_OK);
    std::ostringstream text;
    for (const std::wstring& key : bag->written()) {
        const VARIANT& value = *bag->find(key);
        text << std::string(key.begin(), key.end()) << ' ' << value.vt << ' ';
        if (value.vt == VT_DISPATCH)
            text << pictureText(runtime::Picture::fromObject(value.pdispVal));
        else
            text << (value.vt == VT_BOOL ? value.boolVal : value.lVal) << '\n';
    }
    return text.str();
}

void expectValuesOf(IDispatch* control, const StoredCase& c) {
    EXPECT_EQ(get(control, dispid::kMaskColor).result.get()->lVal, c.maskColor);
    EXPECT_EQ(get(control, dispid::kShowPicture).result.get()->boolVal, c.showPicture);
    EXPECT_EQ(get(control, dispid::kAutomaticMaskColor).result.get()->boolVal,
              c.automaticMaskColor);
    const Call picture = get(control, dispid::kPicture);
    ASSERT_EQ(picture.result.get()->vt, VT_DISPATCH);
    ASSERT_NE(picture.result.get()->pdispVal, nullptr);
    EXPECT_EQ(pictureText(runtime::Picture::fromObject(picture.result.get()->pdispVal)),
              c.picture == "empty" ? "empty\n" : pictureText(storedPicture(c.picture)));
}

// Saves each case from the values of cases.txt, and the pictures they name.
void saveGoldenForms(const std::vector<StoredCase>& cases, const container::FormDesign& design) {
    const auto write = [](const std::string& name, const auto& text) {
        std::ofstream(kGoldenForms / name, std::ios::binary)
            << std::string(text.begin(), text.end());
    };
    write("figure.bmp", writeBmp24(makeFigure(8, 6, 0x00FF00FF)));
    write("alpha.bmp", writeBmp32({3, 2, {0, 0x80402010, 0xFF112233, 0x7F3F1F0F, ~0u, 0}}));
    for (const StoredCase& c : cases) {
        HostedControl hosted(design, true, win::makeCom<container::PropertyBag>().get());
        IDispatch* control = hosted.control.get();
        if (c.picture != "empty")
            putRef(control, dispid::kPicture, storedPicture(c.picture).dispatch().get());
        put(control, dispid::kMaskColor, variantOf(c.maskColor));
        put(control, dispid::kShowPicture, variantOfBool(c.showPicture != 0));
        put(control, dispid::kAutomaticMaskColor, variantOfBool(c.automaticMaskColor != 0));
        write(c.name + ".stream.hex", hexText(streamBytes(savedStream(control).get())));
        write(c.name + ".bag.txt", savedBagText(control, false));
        write(c.name + ".bag-all.txt", savedBagText(control, true));
    }
}

TEST_F(CutshapeControl, StoredFormsOfEarlierBuildsLoadAndSaveTheSameBytes) {
    const std::vector<StoredCase> cases = storedCases();
    ASSERT_EQ(cases.size(), 3u) << "the cases of " << (kGoldenForms / "cases.txt").string();
    if (std::getenv("CUTSHAPE_UPDATE_GOLDEN")) {
        if (sizeof(void*) != 8)
            GTEST_SKIP() << "the stored forms are the 64-bit build's: save them there";
        saveGoldenForms(cases, formDesign());
        GTEST_SKIP() << "saved the stored forms in " << kGoldenForms.string();
    }
    for (const StoredCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string streamText = storedFormFile(c.name + ".stream.hex");
        HostedControl viaStream(formDesign(), true);
        ASSERT_EQ(win::ComPtr<IDispatch>(viaStream.control)
                      .query<IPersistStreamInit>()
                      ->Load(memoryStream(bytesOfHex(streamText)).get()),
                  S_OK);
        expectValuesOf(viaStream.control.get(), c);
        EXPECT_EQ(hexText(streamBytes(savedStream(viaStream.control.get()).get())), streamText);
        for (const bool saveAll : {false, true}) {
            const std::string text =
                storedFormFile(c.name + (saveAll ? ".bag-all.txt" : ".bag.txt"));
            SCOPED_TRACE(text);
            std::vector<runtime::Picture> pictures;
            HostedControl viaBag(formDesign(), true, bagOfText(text, pictures).get());
            expectValuesOf(viaBag.control.get(), c);
            EXPECT_EQ(savedBagText(viaBag.control.get(), saveAll), text);
        }
    }
}

// From version 2 on, the version is followed by the length of the rest of the control's data:
// a reader takes the values it knows, skips the rest, and refuses a length that does not fit.
TEST_F(CutshapeControl, LaterStreamVersionsAreReadUpToTheLengthTheyGive) {
    const StoredCase bitmap = storedCase("bitmap");
    const std::vector<std::uint8_t> v1 = bytesOfHex(storedFormFile("bitmap.stream.hex"));
    const std::size_t known = v1.size() - 6;
    const struct {
        std::uint16_t version;
        std::size_t length;
        HRESULT status;
    } cases[] = {{2, known + 5, S_OK},
                 {3, known + 5, S_OK},
                 {0xFFFF, known, S_OK},
                 {2, known + 10, STG_E_READFAULT}, // past the stream's end
                 {2, 0xFFFFFFFF, STG_E_READFAULT},
                 {2, known - 1, STG_E_DOCFILECORRUPT}}; // shorter than the values
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "version " << c.version << ", length " << c.length);
        std::vector<std::uint8_t> bytes(v1.begin(), v1.begin() + 4);
        for (int shift = 0; shift < 48; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(
                (shift < 16 ? c.version >> shift : c.length >> (shift - 16)) & 0xFF));
        bytes.insert(bytes.end(), v1.begin() + 6, v1.end());
        // A value this build does not know, then what follows the control's data.
        bytes.insert(bytes.end(), {0x2A, 0, 0, 0, 7, 'N', 'E', 'X', 'T'});
        HostedControl hosted(formDesign(), true);
        const win::ComPtr<IStream> stream = memoryStream(bytes);
        ASSERT_EQ(
            win::ComPtr<IDispatch>(hosted.control).query<IPersistStreamInit>()->Load(stream.get()),
            c.status);
        if (c.status != S_OK)
            continue;
        expectValuesOf(hosted.control.get(), bitmap);
        ULARGE_INTEGER at{};
        ASSERT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &at), S_OK);
        EXPECT_EQ(at.QuadPart, 10 + c.length);
    }
}

// A property of a later version is stored in that version only when it is not at its default,
// and a reader of the earlier table skips it.
TEST_F(CutshapeControl, NewerPropertyAtItsDefaultKeepsTheFirstStreamVersion) {
    static core::Color extra = 7;
    std::vector<control::StoredProperty> rows(control::storedProperties().begin(),
                                              control::storedProperties().end());
    rows.push_back({L"Extra", VT_I4, 5, 5, 5, 2, [] { return control::StoredValue(7u); },
                    [] { return control::StoredValue(7u); },
                    [](const control::PropertyOwner&) { return control::StoredValue(extra); },
                    [](control::PropertyOwner&, control::StoredValue v) {
                        extra = std::get<core::Color>(v);
                    }});
    control::PropertyOwner owner;
    owner.setMaskColor(0x123456);
    const auto saved = [&](std::span<const control::StoredProperty> table) {
        const win::ComPtr<IStream> stream = memoryStream({});
        control::writeStream(*stream.get(), owner, table);
        return streamBytes(stream.get());
    };
    EXPECT_EQ(saved(rows), saved(control::storedProperties()));
    extra = 9;
    const std::vector<std::uint8_t> newer = saved(rows);
    ASSERT_EQ(newer.size(), saved(control::storedProperties()).size() + 8);
    EXPECT_EQ(newer[4], 2);
    control::PropertyOwner reader;
    control::readStream(*memoryStream(newer).get(), reader);
    EXPECT_EQ(reader.maskColor(), 0x123456u);
    extra = 0;
    control::readStream(*memoryStream(newer).get(), reader, rows);
    EXPECT_EQ(extra, 9u);
}

// The reference's table of stored properties states the control's table: keys, types,
// defaults and the bag's read and write orders.
TEST(StoredProperties, ReferenceTableStatesTheControlsTable) {
    std::ifstream reference(CUTSHAPE_REFERENCE);
    std::vector<std::string> documented;
    bool inTable = false;
    for (std::string line; std::getline(reference, line) && (!inTable || line.starts_with("|"));)
        if (inTable && !line.starts_with("|---"))
            documented.push_back(line);
        else
            inTable = inTable || line == "| Key | Type | Default | Read order | Write order |";
    std::vector<std::string> expected;
    for (const control::StoredProperty& row : control::storedProperties()) {
        const control::StoredValue value = row.keyDefault();
        const std::string type = row.type == VT_DISPATCH ? "picture object"
                                 : row.type == VT_I4     ? "32-bit integer (`OLE_COLOR`)"
                                                         : "Boolean";
        std::string fallback;
        if (const auto* picture = std::get_if<runtime::Picture>(&value))
            fallback = picture->isNothing() ? "Nothing" : "an empty picture";
        else if (const auto* color = std::get_if<core::Color>(&value))
            fallback = std::to_string(*color);
        else
            fallback = std::get<VARIANT_BOOL>(value) ? "True" : "False";
        expected.push_back("| `" + std::string(row.key, row.key + std::wcslen(row.key)) + "` | " +
                           type + " | " + fallback + " | " + std::to_string(row.readOrder) + " | " +
                           std::to_string(row.writeOrder) + " |");
    }
    std::sort(documented.begin(), documented.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(documented, expected);
}

} // namespace
} // namespace cutshape
