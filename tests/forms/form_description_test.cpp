#include "forms/form_description.h"

#include <gtest/gtest.h>

namespace cutshape::forms {
namespace {

constexpr const char* kForm = R"(# a comment line
form frmTest
  caption       "Form \"1\""   # trailing comment
  border-style  0
  client        -12.5 0.25 4680 3180.75
  min-box       no
  taskbar       no

control Ctl1 activex
  class              {1CD0A9FA-0E57-487D-AF64-510C36E1CD92}
  default-interface  {2991EEC6-B7E8-40E7-9E07-0245B4B3007A}
  class-name         "CutshapeCtrl.Cutshape"
  library            "Cutshape.ocx"
  position           915 1185 540 540
  stored             _extentx i4 953
  stored             picture picture file:head.bmp
  stored             ShowPicture bool no

control cmdGo button
  position   2520 765 780 495
  caption    "&Go"
  tip        "Go there"
  tab-index  1

control imgX image
  position   2460 405 210 225
  picture    file:close.bmp
  pointer    custom file:hand.cur
)";

// Parses `text` and returns the error's line and problem; fails the test if none is raised.
std::pair<int, std::string> errorOf(const std::string& text) {
    try {
        parseFormDescription(text, "test.form");
    } catch (const FormDescriptionError& error) {
        EXPECT_EQ(error.file(), "test.form");
        EXPECT_EQ(std::string(error.what()),
                  "test.form:" + std::to_string(error.line()) + ": " + error.problem());
        return {error.line(), error.problem()};
    }
    ADD_FAILURE() << "no error for:\n" << text;
    return {0, ""};
}

// Each section takes its own caption and position: the form and every control are sections
// of their own.
TEST(FormDescription, ReadsFormControlsAndStoredValues) {
    const FormDescription form = parseFormDescription(kForm, "test.form");
    EXPECT_EQ(form.name, "frmTest");
    EXPECT_EQ(form.caption, "Form \"1\"");
    EXPECT_EQ(form.borderStyle, 0);
    EXPECT_EQ(form.client.left, -12.5f); // decimals, read exactly
    EXPECT_EQ(form.client.top, 0.25f);
    EXPECT_EQ(form.client.width, 4680.0f);
    EXPECT_EQ(form.client.height, 3180.75f);
    EXPECT_FALSE(form.minButton);
    EXPECT_TRUE(form.maxButton);
    EXPECT_FALSE(form.showInTaskbar);
    ASSERT_EQ(form.controls.size(), 3u);

    const ControlDescription& control = *form.find("Ctl1");
    EXPECT_EQ(control.kind, ControlKind::ActiveX);
    EXPECT_EQ(control.classId, "{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}");
    EXPECT_EQ(control.defaultInterfaceId, "{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}");
    EXPECT_EQ(control.className, "CutshapeCtrl.Cutshape");
    EXPECT_EQ(control.libraryFile, "Cutshape.ocx");
    EXPECT_EQ(control.position->left, 915);
    EXPECT_EQ(control.line, 9);
    ASSERT_EQ(control.stored.size(), 3u);
    EXPECT_EQ(control.stored[0].name, "_extentx");
    EXPECT_EQ(control.stored[0].type, StoredType::Integer32);
    EXPECT_EQ(control.stored[0].integer, 953);
    EXPECT_EQ(control.stored[1].type, StoredType::Picture);
    EXPECT_EQ(control.stored[1].text, "head.bmp");
    EXPECT_EQ(control.stored[2].type, StoredType::Boolean);
    EXPECT_EQ(control.stored[2].integer, 0);

    const ControlDescription& button = *form.find("cmdGo");
    EXPECT_EQ(button.kind, ControlKind::Button);
    EXPECT_EQ(button.caption, "&Go");
    EXPECT_EQ(button.toolTip, "Go there");
    EXPECT_EQ(button.tabIndex, 1);

    const ControlDescription& image = *form.find("imgX");
    EXPECT_EQ(image.pictureFile, "close.bmp");
    EXPECT_EQ(image.mousePointer, 99);
    EXPECT_EQ(image.mouseIconFile, "hand.cur");
    EXPECT_FALSE(image.tabIndex.has_value());

    ASSERT_EQ(form.files.size(), 3u);
    EXPECT_EQ(form.files[0].name, "head.bmp");
    EXPECT_EQ(form.files[0].line, 16);
    EXPECT_EQ(form.files[1].name, "close.bmp");
    EXPECT_EQ(form.files[1].line, 27);
    EXPECT_EQ(form.files[2].name, "hand.cur");
    EXPECT_EQ(form.files[2].line, 28);
}

TEST(FormDescription, SkipsAByteOrderMarkAtTheStart) {
    const FormDescription form = parseFormDescription(
        "\xEF\xBB\xBF# saved as UTF-8\nform frmBom\n  caption \"\xC3\xA9\"\n", "test.form");
    EXPECT_EQ(form.name, "frmBom");
    EXPECT_EQ(form.caption, "\xC3\xA9");
}

// Each malformed description is refused at the line at fault, with the problem where the
// words matter.
TEST(FormDescription, RefusesMalformedDescriptionsAtTheLineAtFault) {
    struct Malformed {
        const char* what;
        const char* text;
        int line;
        const char* problem = nullptr; // checked when given
    };
    const Malformed cases[] = {
        {"an unknown keyword of the form", "form f\n  caption \"a\"\n  colour 3\n", 3,
         "unknown keyword 'colour' in the form section"},
        {"an unknown keyword of a control",
         "form f\ncontrol b button\n  position 0 0 1 1\n  colour 3\n", 4,
         "unknown keyword 'colour' in control 'b'"},
        // Reported as a misplaced keyword, not as a wrong count of values.
        {"a control's keyword in the form", "form f\n  stored _extentx i4 953\n", 2,
         "'stored' belongs to a control section, not the form section"},
        {"the form's keyword in a control",
         "form f\ncontrol b button\n  position 0 0 1 1\n  border-style 0\n", 4,
         "'border-style' belongs to the form section, not control 'b'"},
        {"a keyword of another kind of control", "form f\ncontrol i image\n  tab-index 1\n", 3,
         "'tab-index' is not a keyword of image controls (control 'i')"},
        {"a keyword twice in the form", "form f\n  caption \"a\"\n  taskbar no\n  caption \"b\"\n",
         4, "'caption' is given twice (first on line 2)"},
        {"a keyword twice in a control",
         "form f\ncontrol b button\n  position 0 0 1 1\n  tab-index 1\n  position 0 0 2 2\n", 5,
         "'position' is given twice (first on line 3)"},
        {"a position and an 'at'",
         "form f\ncontrol c activex\n  class-name \"x.y\"\n  at 1 2\n  position 0 0 2 2\n", 5,
         "'position' and 'at' (line 4) both set the position"},
        // The mark takes no line, so errors after it keep their numbers; anywhere else it is no
        // blank.
        {"an error after a byte order mark", "\xEF\xBB\xBF\nform f\n  colour 3\n", 3},
        {"a byte order mark after the start", "form f\n\xEF\xBB\xBF  caption \"a\"\n", 2},
        {"a number that is no plain decimal", "form f\n  client 0 0 4.68e3 3180\n", 2,
         "'client' takes decimal numbers, not '4.68e3'"},
        // Form_Click would be ambiguous between the form and the control.
        {"a control named Form", "form f\ncontrol Form button\n  position 0 0 1 1\n", 2},
        {"an unclosed quoted text", "form f\n\n  caption \"abc\n", 3},
        {"a position with too few numbers", "form f\ncontrol b button\n  position 1 2 3\n", 3,
         "'position' takes 4 values, found 3"},
        {"a malformed class identifier",
         "form f\ncontrol c activex\n  position 0 0 1 1\n"
         "  class {1CD0A9FA-0E57-487D-AF64-510C36E1CD9}\n",
         4},
        {"an unknown stored type",
         "form f\ncontrol c activex\n  class-name \"x.y\"\n  position 0 0 1 1\n"
         "  stored size i8 4\n",
         5},
        {"a stored integer out of range",
         "form f\ncontrol c activex\n  class-name \"x.y\"\n  position 0 0 1 1\n"
         "  stored small i2 40000\n",
         5},
        {"a name used twice", "form f\ncontrol a label\n  position 0 0 1 1\ncontrol a image\n", 4,
         "the name 'a' is used twice"},
        {"a control without position, followed by another",
         "form f\ncontrol a label\n  caption \"x\"\ncontrol b label\n  position 0 0 1 1\n", 2,
         "control 'a' has no position"},
        {"a control without position at the end", "form f\ncontrol a label\n  caption \"x\"\n", 2},
        {"a button's stored value", "form f\ncontrol b button\n  stored x i4 1\n", 3},
        {"an ActiveX control's tip",
         "form f\ncontrol c activex\n  class-name \"x.y\"\n  tip \"t\"\n", 4},
        {"a keyword before the form line", "# first\ncaption \"a\"\nform f\n", 2},
        {"a control before the form line", "control a label\n", 1},
        {"no form line", "# only a comment\n\n", 3, "the description has no form line"},
        {"a file value without name", "form f\ncontrol i image\n  picture file:\n", 3},
        {"yes or no misspelt", "form f\n  taskbar true\n", 2,
         "'taskbar' takes yes or no, not 'true'"},
    };
    for (const Malformed& malformed : cases) {
        SCOPED_TRACE(malformed.what);
        const auto [line, problem] = errorOf(malformed.text);
        EXPECT_EQ(line, malformed.line);
        if (malformed.problem) {
            EXPECT_EQ(problem, malformed.problem);
        }
    }
}

} // namespace
} // namespace cutshape::forms
