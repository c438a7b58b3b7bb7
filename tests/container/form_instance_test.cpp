#include "container/form_instance.h"

#include <gtest/gtest.h>

namespace cutshape::container {
namespace {

forms::FormDescription testForm() {
    return forms::parseFormDescription("form frmTest\n"
                                       "control Cutshape1 activex\n  class-name \"x.y\"\n"
                                       "  at 0 0\n"
                                       "control cmdGo button\n  position 0 0 1 1\n",
                                       "test.form");
}

void ignoreErrors(const win::Error&) {}

// The text of the error with which the form refuses `handlers`; empty if it takes them.
std::wstring refusal(EventHandlers handlers) {
    try {
        FormInstance form(testForm(), std::move(handlers), ignoreErrors);
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), DISP_E_UNKNOWNNAME);
        return error.description();
    }
    return {};
}

TEST(FormInstance, RefusesHandlersThatMatchNoEvent) {
    const auto none = [](FormInstance&, const EventArguments&) {};
    EXPECT_EQ(refusal({{"Form_Load", none}, {"cmdGO_Click", none}}),
              L"No event of form frmTest (test.form) matches the handler cmdGO_Click.");
    EXPECT_EQ(refusal({{"Form_Unload", none}, {"cmdGo_DblClick", none}, {"cmdGo_Click", none}}),
              L"No event of form frmTest (test.form) matches the handlers Form_Unload, "
              L"cmdGo_DblClick.");
    // The ActiveX control's own events do not reach the program's handlers.
    EXPECT_NE(refusal({{"Cutshape1_Click", none}}), L"");
}

TEST(FormInstance, RunsTheHandlersOfItsEvents) {
    std::vector<std::string> ran;
    const auto record = [&ran](std::string name) {
        return [&ran, name](FormInstance&, const EventArguments&) { ran.push_back(name); };
    };
    FormInstance form(testForm(),
                      {{"Form_Initialize", record("init")},
                       {"Form_Load", record("load")},
                       {"Form_MouseDown", record("down")},
                       {"cmdGo_Click", record("click")}},
                      ignoreErrors);
    form.raise("cmdGo", "Click");
    form.raise("Form", "Initialize");
    form.raise("Form", "Resize"); // no handler: nothing runs
    EXPECT_EQ(ran, (std::vector<std::string>{"click", "init"}));
}

// The control's place in the form's client area and its font's height, in pixels.
struct Layout {
    RECT place{};
    LONG fontHeight = 0;
};
Layout layoutOf(HWND control) {
    Layout layout;
    ::GetWindowRect(control, &layout.place);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&layout.place), 2);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    layout.fontHeight = font.lfHeight;
    return layout;
}

TEST(FormInstance, LaysItsControlsOutAgainAtANewResolution) {
    FormInstance form(forms::parseFormDescription("form frmTest\n"
                                                  "control cmdGo button\n"
                                                  "  position 1440 720 1500 480\n",
                                                  "test.form"),
                      {}, ignoreErrors);
    form.load();
    const HWND button = ::FindWindowExW(form.hwnd(), nullptr, L"BUTTON", nullptr);
    ASSERT_NE(button, nullptr);
    for (const int dpi : {144, 192, 120}) {
        RECT suggested{10, 20, 10 + 4 * dpi, 20 + 3 * dpi};
        ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
        const Layout layout = layoutOf(button);
        SCOPED_TRACE(dpi);
        // One inch from the left, half an inch down, 1500 x 480 twips.
        EXPECT_EQ(layout.place.left, dpi);
        EXPECT_EQ(layout.place.top, dpi / 2);
        EXPECT_EQ(layout.place.right - layout.place.left, 1500 * dpi / 1440);
        EXPECT_EQ(layout.place.bottom - layout.place.top, dpi / 3);
        EXPECT_EQ(layout.fontHeight, -::MulDiv(8, dpi, 72)); // 8 points
        RECT window{};
        ::GetWindowRect(form.hwnd(), &window);
        EXPECT_EQ(window.right - window.left, 4 * dpi); // the size the system suggested
    }
}

} // namespace
} // namespace cutshape::container
