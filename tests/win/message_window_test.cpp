// One window procedure for every window with a C++ handler: messages reach the handler only
// while it is attached, and a throwing handler never unwinds through the system.
#include "win/error.h"
#include "win/message_window.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace cutshape::win {
namespace {

constexpr wchar_t kClass[] = L"CutshapeMessageWindowTest";
constexpr UINT kAnswer = WM_APP + 1;
constexpr UINT kThrow = WM_APP + 2;

class Recorder final : public MessageHandler {
public:
    std::vector<UINT> seen;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == kAnswer)
            return 42;
        if (message == kThrow)
            throw std::runtime_error("the handler failed");
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    bool saw(UINT message) const {
        for (const UINT each : seen)
            if (each == message)
                return true;
        return false;
    }
};

UniqueWindow windowFor(Recorder& recorder) {
    WNDCLASSW description{};
    description.hInstance = ::GetModuleHandleW(nullptr);
    description.lpszClassName = kClass;
    // Registering the same class again is not an error.
    registerHandlerClass(description);
    registerHandlerClass(description);
    return createHandlerWindow(recorder, kClass, ::GetModuleHandleW(nullptr), L"test",
                               WindowPlacement{}, L"Creating the test window");
}

TEST(MessageWindow, TheHandlerSeesItsWindowFromCreationToTheEnd) {
    Recorder recorder;
    UniqueWindow window = windowFor(recorder);
    EXPECT_TRUE(recorder.saw(WM_NCCREATE));
    EXPECT_TRUE(recorder.saw(WM_CREATE));
    EXPECT_EQ(::SendMessageW(window.get(), kAnswer, 0, 0), 42);
    window.reset();
    EXPECT_TRUE(recorder.saw(WM_DESTROY));
    EXPECT_EQ(recorder.seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(MessageWindow, AThrowingHandlerGetsTheDefaultHandling) {
    Recorder recorder;
    const UniqueWindow window = windowFor(recorder);
    EXPECT_EQ(::SendMessageW(window.get(), kThrow, 0, 0), 0);
    EXPECT_TRUE(recorder.saw(kThrow));
    // The window still works after the failure.
    EXPECT_EQ(::SendMessageW(window.get(), kAnswer, 0, 0), 42);
}

TEST(MessageWindow, ADetachedHandlerHearsNothingMore) {
    Recorder recorder;
    UniqueWindow window = windowFor(recorder);
    detachHandler(window.get());
    const std::size_t before = recorder.seen.size();
    EXPECT_EQ(::SendMessageW(window.get(), kAnswer, 0, 0), 0);
    window.reset();
    EXPECT_EQ(recorder.seen.size(), before);
}

TEST(MessageWindow, AClassThatCannotBeRegisteredIsAnError) {
    WNDCLASSW nameless{};
    nameless.hInstance = ::GetModuleHandleW(nullptr);
    EXPECT_THROW(registerHandlerClass(nameless), Error);
    Recorder recorder;
    EXPECT_THROW(createHandlerWindow(recorder, L"NoSuchClassAnywhere", ::GetModuleHandleW(nullptr),
                                     L"", WindowPlacement{}, L"Creating a window"),
                 Error);
    EXPECT_TRUE(recorder.seen.empty());
}

} // namespace
} // namespace cutshape::win
