#include "forms/form_events.h"

#include <gtest/gtest.h>

namespace cutshape::forms {
namespace {

// Every handler name that names no event the runtime raises is reported, in its order.
TEST(FormEvents, ReportsTheHandlersOfEventsThatAreNeverRaised) {
    const FormDescription form =
        parseFormDescription("form frmTest\n"
                             "control Cutshape1 activex\n  class-name \"x.y\"\n  at 0 0\n"
                             "control cmdGo button\n  position 0 0 1 1\n"
                             "control lblName label\n  position 0 0 1 1\n"
                             "control img_Close image\n  position 0 0 1 1\n",
                             "test.form");
    // The event follows the last underscore: control names may hold one.
    const std::vector<std::string> raised = {"Form_Initialize", "Form_Load",     "Form_MouseDown",
                                             "cmdGo_Click",     "lblName_Click", "img_Close_Click"};
    const std::vector<std::string> neverRaised = {
        "cmdGO_Click",     "cmdGo_click",     // names are case-sensitive
        "Form_Unload",                        // no event of the runtime's
        "Form_Click",      "cmdGo_MouseDown", // Click is a control's, MouseDown the form's
        "Cutshape1_Click",                    // an ActiveX control's own events reach no handler
        "frmTest_Load",                       // the form's events are Form's, whatever its name
        "FormLoad",        "cmdGo_",          "_Click", "imgClose_Click"};
    std::vector<std::string> handlers = raised;
    handlers.insert(handlers.end(), neverRaised.begin(), neverRaised.end());
    EXPECT_EQ(unmatchedHandlers(form, handlers), neverRaised);
}

} // namespace
} // namespace cutshape::forms
