// The demo programs' descriptions as they are bundled: each parses, and has what its
// handlers use.
#include "forms/form_description.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace cutshape::forms {
namespace {

FormDescription demoForm(const std::string& path) {
    std::ifstream in(std::filesystem::path(CUTSHAPE_SOURCE_DIR) / path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::ostringstream text;
    text << in.rdbuf();
    return parseFormDescription(text.str(), path);
}

void expectShapedByCutshape1(const FormDescription& form) {
    const ControlDescription* control = form.find("Cutshape1");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->kind, ControlKind::ActiveX);
    EXPECT_EQ(control->className, "CutshapeCtrl.Cutshape");
    ASSERT_GE(control->stored.size(), 2u);
    EXPECT_EQ(control->stored[0].name, "_extentx");
    EXPECT_EQ(control->stored[1].name, "_extenty");
    const ControlDescription* close = form.find("imgClose");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->kind, ControlKind::Image);
    EXPECT_EQ(close->pictureFile, "close.bmp");
    EXPECT_EQ(form.borderStyle, 0);
}

TEST(DemoForms, EarthHasItsTwoButtons) {
    const FormDescription form = demoForm("demos/earth/frmEarth.form");
    EXPECT_EQ(form.name, "frmEarth");
    expectShapedByCutshape1(form);
    ASSERT_NE(form.find("cmdEarth"), nullptr);
    EXPECT_EQ(form.find("cmdEarth")->caption, "&Earth");
    EXPECT_EQ(form.find("cmdRestore")->tabIndex, 0);
}

TEST(DemoForms, HoleHasItsPlayAndStopImages) {
    const FormDescription form = demoForm("demos/hole/frmHole.form");
    EXPECT_EQ(form.name, "frmHole");
    expectShapedByCutshape1(form);
    EXPECT_EQ(form.find("imgPlay")->pictureFile, "play.bmp");
    EXPECT_EQ(form.find("imgStop")->pictureFile, "stop.bmp");
}

TEST(DemoForms, HeadStoresItsPictureAndHasTheFileDialog) {
    const FormDescription form = demoForm("demos/head/frmHead.form");
    EXPECT_EQ(form.name, "frmHead");
    expectShapedByCutshape1(form);
    const ControlDescription& control = *form.find("Cutshape1");
    ASSERT_EQ(control.stored.size(), 3u);
    EXPECT_EQ(control.stored[2].type, StoredType::Picture);
    EXPECT_EQ(control.stored[2].text, "head.bmp");
    EXPECT_EQ(form.find("CommonDialog1")->className, "MSComDlg.CommonDialog");
    EXPECT_FALSE(form.showInTaskbar);
}

} // namespace
} // namespace cutshape::forms
