#include "control/window_picture.h"
#include "tests/support/fake_picture.h"
#include "win/gdi.h"

#include <gtest/gtest.h>

namespace cutshape {
namespace {

using control::WindowPictures;
using test::FakePicture;

class WindowPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        window_ = ::CreateWindowExW(0, L"STATIC", L"form", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (::IsWindow(window_))
            ::DestroyWindow(window_);
        ::CoUninitialize();
    }

    static win::ComPtr<FakePicture> fake() {
        return win::makeCom<FakePicture>(test::FakePictureBehaviour{});
    }
    static runtime::Picture pictureOf(const win::ComPtr<FakePicture>& fake) {
        return runtime::Picture::fromObject(static_cast<IPicture*>(fake.get()));
    }
    // Asks the window to paint its background, as a repaint does.
    void erase() {
        const win::DibSurface surface(64, 48);
        ::SendMessageW(window_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
    }
    // The locks taken since the test's pictures were made (each picture holds one too).
    long extraLocks() const { return win::ModuleLock::count() - locksBefore_; }
    void countLocksFromHere() { locksBefore_ = win::ModuleLock::count(); }

    HWND window_ = nullptr;
    long locksBefore_ = 0;
};

TEST_F(WindowPictureTest, PictureHoldsTheLibraryUntilItsOwnerGoes) {
    const auto picture = fake();
    countLocksFromHere();
    {
        WindowPictures owner;
        owner.setBackground(window_, pictureOf(picture), runtime::screenResolution());
        EXPECT_EQ(extraLocks(), 1);
        erase();
        EXPECT_EQ(picture->renders(), 1);
    }
    EXPECT_EQ(extraLocks(), 0);
    erase();
    EXPECT_EQ(picture->renders(), 1); // taken off: the window paints only its own background
}

TEST_F(WindowPictureTest, EmptyPictureTakesThePictureOff) {
    const auto picture = fake();
    countLocksFromHere();
    WindowPictures owner;
    owner.setBackground(window_, pictureOf(picture), runtime::screenResolution());
    owner.setBackground(window_, runtime::emptyPicture(), runtime::screenResolution());
    EXPECT_EQ(extraLocks(), 0);
    erase();
    EXPECT_EQ(picture->renders(), 0);
}

TEST_F(WindowPictureTest, DestroyedWindowLetsGoOfPictureAndLibraryBeforeItsOwner) {
    const auto picture = fake();
    countLocksFromHere();
    WindowPictures owner;
    owner.setBackground(window_, pictureOf(picture), runtime::screenResolution());
    ::DestroyWindow(window_);
    EXPECT_EQ(extraLocks(), 0);
    picture->AddRef();
    EXPECT_EQ(picture->Release(), 1u); // only the test holds the picture now
}

TEST_F(WindowPictureTest, OwnerGoingAwayLeavesAPictureAnotherOwnerGaveSince) {
    const auto first = fake();
    const auto second = fake();
    countLocksFromHere();
    WindowPictures later;
    {
        WindowPictures earlier;
        earlier.setBackground(window_, pictureOf(first), runtime::screenResolution());
        later.setBackground(window_, pictureOf(second), runtime::screenResolution());
    }
    EXPECT_EQ(extraLocks(), 1);
    erase();
    EXPECT_EQ(first->renders(), 0);
    EXPECT_EQ(second->renders(), 1);
}

LRESULT CALLBACK replacement(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto replaced = reinterpret_cast<WNDPROC>(::GetPropW(window, L"replaced"));
    return ::CallWindowProcW(replaced, window, message, wParam, lParam);
}

// comctl32 would hand the window its original procedure as the last subclass goes,
// unhooking whatever replaced the procedure above it.
TEST_F(WindowPictureTest, ProcedureReplacedAboveStaysAndKeepsTheLibraryUntilTheWindowGoes) {
    const auto picture = fake();
    countLocksFromHere();
    {
        WindowPictures owner;
        owner.setBackground(window_, pictureOf(picture), runtime::screenResolution());
        ::SetPropW(window_, L"replaced",
                   reinterpret_cast<HANDLE>(::SetWindowLongPtrW(
                       window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replacement))));
    }
    EXPECT_EQ(::GetWindowLongPtrW(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(replacement));
    EXPECT_EQ(extraLocks(), 1);
    erase();
    EXPECT_EQ(picture->renders(), 0); // still in place, but painting nothing
    ::DestroyWindow(window_);
    EXPECT_EQ(extraLocks(), 0);
}

} // namespace
} // namespace cutshape
