#include "app/page_switch.h"

#include "app/image_library.h"
#include "app/page_steps.h"
#include "ui/form.h"

namespace vlx {

namespace {

void ShowLibraryIcon(Context& ctx, const char* imageName, int index) {
  if (auto* image = dynamic_cast<ui::Image*>(ctx.frmMain.Find(imageName))) {
    image->SetPicture(LoadLibraryIcon(*ctx.platform.library, ctx.programDir, index));
  }
}

void ShowLibraryBitmap(Context& ctx, const char* imageName, const char* bitmap) {
  if (auto* image = dynamic_cast<ui::Image*>(ctx.frmMain.Find(imageName))) {
    image->SetPicture(LoadLibraryBitmap(*ctx.platform.library, ctx.programDir, bitmap));
  }
}

void UninstallPageShown(Context& ctx) {
  LoadUninstallList(ctx);
  ShowLibraryIcon(ctx, "ImgUninstall", 1);
}

void ProcessPageShown(Context& ctx) {
  LoadProcessList(ctx);
  LoadWindowList(ctx);
  if (ui::Control* label = ctx.frmMain.Find("lbMessages")) {
    label->SetText("Выберите процесс для завершения...");
  }
}

void StartMenuPageShown(Context& ctx) { ShowLibraryBitmap(ctx, "ImgStartMenu", "STARTMENU"); }
void RepairPageShown(Context& ctx) { ShowLibraryIcon(ctx, "ImgRepairIcon", 0); }
void AboutPageShown(Context& ctx) { ShowLibraryBitmap(ctx, "ImgAbout", "BACKGROUND"); }
void InfoPageShown(Context& ctx) { ShowSystemInfo(ctx); }

constexpr PageWork kPageSwitch[] = {
    {1, UninstallPageShown}, {2, ProcessPageShown}, {4, StartMenuPageShown},
    {8, RepairPageShown},    {13, AboutPageShown},  {16, InfoPageShown},
};

}  // namespace

std::span<const PageWork> PageSwitchTable() { return kPageSwitch; }

void pgSelectedPageChange(Context& ctx) {
  const int shown = ctx.Get<ui::TabControl>("pgSelectedPage").ActiveIndex() + 1;
  for (const PageWork& entry : kPageSwitch) {
    if (entry.page == shown) entry.work(ctx);
  }
}

}  // namespace vlx
