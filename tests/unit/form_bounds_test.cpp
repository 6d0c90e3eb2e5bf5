// Places and sizes of the main window's controls as the forms lay them out, and the folder
// icon page's picture that takes the size of its icon.
#include <gtest/gtest.h>

#include "unit/tool_page_fixture.h"

namespace vlx {
namespace {

class FormBounds : public ::testing::Test, public testing::ToolPageFixture {};

Picture Icon(int width, int height) {
  Picture picture;
  picture.kind = Picture::Kind::Icon;
  picture.origin = "C:\\a.ico,0";
  picture.width = width;
  picture.height = height;
  return picture;
}

TEST_F(FormBounds, ControlsSitWhereTheFormsPlaceThem) {
  constexpr int kAny = -1;  // a size the layout leaves to the control's text
  struct Case {
    const char* name;
    int left, top, width, height;
  } cases[] = {
      {"pgSelectedPage", 8, 8, 345, 425},
      {"btnSaveAndClose", 120, 440, 75, 25},
      {"btnClose", 199, 440, 75, 25},
      {"btnSave", 278, 440, 75, 25},
      // About page.
      {"ImgAbout", 16, 8, 295, 326},
      {"lbCaptionProgramm", 56, 40, kAny, kAny},
      {"lbDescriptionProgramm", 56, 64, kAny, kAny},
      {"lbFullDescriptionProgramm", 56, 88, kAny, kAny},
      {"lbCopiryght", 56, 216, kAny, kAny},
      // File Killer.
      {"ImgSource", kAny, kAny, 32, 32},
      {"ImgDestination", kAny, kAny, 32, 32},
      // Colour page.
      {"gbOtherColors", 8, 8, 321, 249},
      {"lbDescriptionColor", 8, 264, kAny, kAny},
      {"lbCopyStatus", 16, 16, kAny, kAny},
      {"pnlTColor", 16, 40, 145, 105},
      {"pnlCurrentCursor", 232, 40, 65, 57},
      {"btnGetColor", 232, 120, 75, 22},
      {"lbTColor", 16, 160, kAny, kAny},
      {"editTColor", 72, 152, 121, 21},
      {"spbtnCopyTColor", 192, 152, 25, 25},
      {"lbHtml", 16, 184, kAny, kAny},
      {"editHtml", 72, 176, 121, 21},
      {"spbtnCopyHtml", 192, 176, 25, 25},
      {"lbRgb", 16, 208, kAny, kAny},
      {"editRgb", 72, 200, 121, 21},
      {"spbtnCopyRgb", 192, 200, 25, 25},
      // Information page.
      {"WinVerLabel", 8, 8, kAny, kAny},
      {"gbRamInfo", 8, 32, 289, 65},
      {"lbRAM", 8, 16, kAny, kAny},
      {"lbFreeRam", 8, 32, kAny, kAny},
      {"lbUseProc", 8, 48, kAny, kAny},
      {"gbROtherInfo", 8, 104, 289, 57},
      {"lbVirtual", 8, 16, kAny, kAny},
      {"lbAvailVirtual", 8, 32, kAny, kAny},
      {"gbPFInfo", 7, 168, 289, 57},
      {"lbPF", 8, 16, kAny, kAny},
      {"lbPFFree", 8, 32, kAny, kAny},
      {"gbHDDInfo", 8, 230, 289, 105},
      {"lbVolume", 8, 16, kAny, kAny},
      {"lbSerialHdd", 8, 32, kAny, kAny},
      {"lbFSN", 8, 48, kAny, kAny},
      // Folder icon page.
      {"gbIconsFolder", 8, 8, 321, 273},
      {"Label3", 8, 16, kAny, kAny},
      {"edtFolder", 8, 32, 273, 21},
      {"sbtnOpenFolder", 280, 32, 25, 25},
      {"Label4", 8, 64, kAny, kAny},
      {"memInfoTipFolder", 8, 80, 297, 65},
      {"Label5", 8, 152, kAny, kAny},
      {"edtIconFile", 8, 168, 273, 21},
      {"sbtnSelectIcon", 280, 168, 25, 25},
      {"imgIconsView", 24, 208, kAny, kAny},
      {"btnSetIcon", 232, 208, 75, 22},
      {"btnDelIcon", 232, 240, 75, 22},
      {"lbIconFolderChangeDescription", 8, 288, kAny, kAny},
  };
  for (const Case& c : cases) {
    const ui::Rect& b = Main(c.name).Bounds();
    const auto stated = [](int value, int actual) { return value == kAny ? actual : value; };
    EXPECT_EQ(b, (ui::Rect{stated(c.left, b.left), stated(c.top, b.top),
                           stated(c.width, b.width), stated(c.height, b.height)}))
        << c.name;
  }
}

TEST_F(FormBounds, TheFolderIconPictureTakesTheSizeOfItsIcon) {
  auto& view = Main<ui::Image>("imgIconsView");
  view.SetPicture(Icon(48, 48));
  EXPECT_EQ(view.Bounds(), (ui::Rect{24, 208, 48, 48}));
  view.SetPicture({});  // cleared: the size stays
  EXPECT_EQ(view.Bounds(), (ui::Rect{24, 208, 48, 48}));
  auto& fixed = Main<ui::Image>("ImgSource");
  const ui::Rect before = fixed.Bounds();
  fixed.SetPicture(Icon(16, 16));
  EXPECT_EQ(fixed.Bounds(), before) << "an image without the size rule keeps its own";
}

}  // namespace
}  // namespace vlx
