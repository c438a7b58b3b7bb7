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

} // namespace
} // namespace cutshape::container
