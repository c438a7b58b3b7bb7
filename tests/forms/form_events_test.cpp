#include "forms/form_events.h"

#include <gtest/gtest.h>

namespace cutshape::forms {
namespace {

const FormDescription& form() {
    static const FormDescription parsed =
        parseFormDescription("form frmTest\n"
                             "control Cutshape1 activex\n  class-name \"x.y\"\n  at 0 0\n"
                             "control cmdGo button\n  position 0 0 1 1\n"
                             "control lblName label\n  position 0 0 1 1\n"
                             "control img_Close image\n  position 0 0 1 1\n",
                             "test.form");
    return parsed;
}

TEST(FormEvents, MatchesTheEventsTheRuntimeRaises) {
    EXPECT_EQ(unmatchedHandlers(form(), {"Form_Initialize", "Form_Load", "Form_MouseDown",
                                         "cmdGo_Click", "lblName_Click", "img_Close_Click"}),
              std::vector<std::string>{});
}

TEST(FormEvents, ReportsMisspeltHandlersInTheirOrder) {
    EXPECT_EQ(unmatchedHandlers(form(),
                                {"cmdGo_Click", "cmdGO_Click", "cmdGo_click", "Form_Unload",
                                 "frmTest_Load", "FormLoad", "cmdGo_", "_Click", "imgClose_Click"}),
              (std::vector<std::string>{"cmdGO_Click", "cmdGo_click", "Form_Unload", "frmTest_Load",
                                        "FormLoad", "cmdGo_", "_Click", "imgClose_Click"}));
}

TEST(FormEvents, RaisesNoEventsOfActiveXControlsOrOfTheWrongKind) {
    EXPECT_FALSE(raisesEvent(form(), "Cutshape1", events::kClick));
    EXPECT_FALSE(raisesEvent(form(), "cmdGo", events::kMouseDown));
    EXPECT_FALSE(raisesEvent(form(), "Form", events::kClick));
    EXPECT_TRUE(raisesEvent(form(), "img_Close", events::kClick));
}

} // namespace
} // namespace cutshape::forms
