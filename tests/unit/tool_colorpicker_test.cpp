#include <gtest/gtest.h>

#include "app/cycles.h"
#include "tool_screendeath_fixture.h"
#include "tools/colorpicker.h"
#include "ui/user_action.h"

namespace vlx {
namespace {

using colorpicker::HtmlText;
using colorpicker::RgbText;
using colorpicker::TColorText;

TEST(ColourNotations, ThreeNotationsOfAColour) {
  struct Case {
    std::uint32_t colour;
    const char *tcolor, *html, *rgb;
  } cases[] = {
      {0x0000FF, "clRed", "#FF0000", "255 0 0"},
      {0x0080FF40, "$0080FF40", "#40FF80", "64 255 128"},
      {0x000000, "clBlack", "#000000", "0 0 0"},
      {0xFFFFFF, "clWhite", "#FFFFFF", "255 255 255"},
      {0x800000, "clNavy", "#000080", "0 0 128"},
      {0xC0C0C0, "clSilver", "#C0C0C0", "192 192 192"},
      {0x010203, "$00010203", "#030201", "3 2 1"},
      {0xFFFF00, "clAqua", "#00FFFF", "0 255 255"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TColorText(c.colour), c.tcolor);
    EXPECT_EQ(HtmlText(c.colour), c.html);
    EXPECT_EQ(RgbText(c.colour), c.rgb);
  }
  EXPECT_EQ(TColorText(0x8000000F), "clBtnFace");
  EXPECT_EQ(TColorText(0x80000018), "clInfoBk");
  EXPECT_EQ(TColorText(0x1FFFFFFF), "clNone");
  EXPECT_EQ(TColorText(0x80000019), "$80000019");
}

class ColourPage : public ::testing::Test {
 protected:
  // The load-all steps of this page (14 to 16), in their order.
  ColourPage() {
    Sequence steps;
    for (const Step& step : LoadAllSteps())
      if (step.name == "CheckEdits" || step.name == "DrawColourCursor" ||
          step.name == "ShowCopyStatusHint")
        steps.push_back(step);
    EXPECT_EQ(steps.size(), 3u);
    RunSequence(m.ctx, steps);
  }
  void Pick(int x, int y, std::uint32_t shift = mouse::Left) {
    m.screen.MovePointer(x, y);
    auto& box = m.Get<ui::Image>("ImgCursorLoad");
    box.onMouseMove(shift);
  }
  std::string Edit(const char* name) { return m.Get(name).Text(); }
  std::string Status() { return m.Get("lbCopyStatus").Text(); }
  bool Enabled(const char* name) { return m.Get(name).Enabled(); }

  pagetest::PageMachine m;
};

TEST_F(ColourPage, DraggingFromTheBoxReadsThePixelsItPasses) {
  EXPECT_EQ(Status(), "Здесь будет отображен результат !");
  EXPECT_FALSE(Enabled("spbtnCopyTColor"));
  EXPECT_FALSE(Enabled("spbtnCopyRgb"));
  auto& box = m.Get<ui::Image>("ImgCursorLoad");
  ASSERT_EQ(box.Canvas().size(), 1u);

  m.screen.Paint(100, 100, 10, 10, 0x0000FF);
  m.screen.Paint(790, 590, 10, 10, 0x0080FF40);  // far outside the program's window
  Pick(790, 595);
  EXPECT_EQ(Edit("editTColor"), "$0080FF40");
  EXPECT_EQ(Status(), "Идет определение цвета...");
  EXPECT_TRUE(box.GetPicture().Empty());
  EXPECT_TRUE(box.Canvas().empty()) << "the box looks empty while the cursor is carried";
  EXPECT_EQ(box.cursor.origin, "C:\\Program Files\\Volnerix\\vlximg.dll,SELECTCOLOR");

  Pick(105, 105);
  box.onMouseUp();
  EXPECT_EQ(Edit("editTColor"), "clRed");
  EXPECT_EQ(Edit("editHtml"), "#FF0000");
  EXPECT_EQ(Edit("editRgb"), "255 0 0");
  EXPECT_EQ(m.Get("pnlTColor").Color(), 0x0000FFu);
  EXPECT_EQ(Status(), "Цвет определен !");
  ASSERT_EQ(box.Canvas().size(), 1u);
  EXPECT_EQ(box.Canvas()[0].x, 14);
  EXPECT_EQ(box.Canvas()[0].y, 10);
  EXPECT_TRUE(Enabled("spbtnCopyTColor") && Enabled("spbtnCopyHtml") && Enabled("spbtnCopyRgb"));
}

TEST_F(ColourPage, OnlyTheLeftButtonAloneWithALibraryPicks) {
  m.screen.Paint(0, 0, 50, 50, 0x00FF00);
  for (std::uint32_t shift : {0u, mouse::Right, mouse::Left | mouse::Shift,
                              mouse::Left | mouse::Right, mouse::Left | mouse::Ctrl}) {
    Pick(10, 10, shift);
    EXPECT_EQ(Edit("editTColor"), "") << shift;
  }
  EXPECT_EQ(Status(), "Здесь будет отображен результат !");

  m.library.present = false;
  Pick(10, 10);
  EXPECT_EQ(Edit("editTColor"), "") << "without the image library picking does nothing";
  m.library.present = true;
  Pick(10, 10);
  EXPECT_EQ(Edit("editTColor"), "clLime");
}

TEST_F(ColourPage, CopyButtonsFollowTheirEditsAndCopyWhatIsTyped) {
  m.screen.Paint(0, 0, 5, 5, 0x123456);
  Pick(1, 1);
  auto& html = m.Get("editHtml");
  ui::UserType(html, "");
  EXPECT_FALSE(Enabled("spbtnCopyHtml"));
  EXPECT_TRUE(Enabled("spbtnCopyTColor"));
  ui::UserType(html, "#ABCDEF");
  EXPECT_TRUE(Enabled("spbtnCopyHtml"));

  struct Case {
    const char *button, *clip, *status;
  } cases[] = {
      {"spbtnCopyTColor", "$00123456", "Значение TCOLOR скопировано !"},
      {"spbtnCopyHtml", "#ABCDEF", "Значение HTML скопировано !"},
      {"spbtnCopyRgb", "86 52 18", "Значение RGB скопировано !"},
  };
  for (const auto& c : cases) {
    ui::UserClick(m.Get(c.button));
    EXPECT_EQ(m.clipboard.Text(), c.clip);
    EXPECT_EQ(Status(), c.status);
  }
}

TEST_F(ColourPage, ColourDialogStartsFromThePanelAndCancelKeepsEverything) {
  ui::UserClick(m.Get("btnGetColor"));
  ASSERT_EQ(m.dialogs.colourStarts.size(), 1u);
  EXPECT_EQ(m.dialogs.colourStarts[0], 0xC0C0C0u) << "the button face as its current RGB";
  EXPECT_EQ(Status(), "Цвет не выбран !");
  EXPECT_EQ(Edit("editRgb"), "");

  m.dialogs.colours.push_back(0x0080FF40);
  ui::UserClick(m.Get("btnGetColor"));
  EXPECT_EQ(Status(), "Цвет выбран !");
  EXPECT_EQ(Edit("editHtml"), "#40FF80");
  EXPECT_EQ(m.Get("pnlTColor").Color(), 0x0080FF40u);

  ui::UserClick(m.Get("btnGetColor"));
  EXPECT_EQ(m.dialogs.colourStarts.back(), 0x0080FF40u);
  EXPECT_EQ(Status(), "Цвет не выбран !");
  EXPECT_EQ(Edit("editRgb"), "64 255 128");
  EXPECT_EQ(m.Get("pnlTColor").Color(), 0x0080FF40u);
}

}  // namespace
}  // namespace vlx
