#include "app/cycles.h"

#include "app/image_library.h"
#include "app/page_steps.h"
#include "platform/desktop.h"
#include "store/folders.h"
#include "ui/form.h"

namespace vlx {

namespace {

// Steps of this window that act on controls of other pages; they act once the page is built.
template <class T, class Act>
void IfPresent(Context& ctx, const char* name, Act&& act) {
  if (auto* control = dynamic_cast<T*>(ctx.frmMain.Find(name))) act(*control);
}

void SetFaultLogCaption(Context& ctx) {
  IfPresent<ui::Control>(ctx, "cbErrorFileYes", [&](ui::Control& box) {
    box.SetText("Протокол ошибок " + GetWindowsDir(*ctx.platform.system) + "\\FAULTLOG.TXT");
  });
}

void ShowScreenSaverTimeState(Context& ctx) {
  IfPresent<ui::CheckBox>(ctx, "cbScreenSaverActive", [&](ui::CheckBox& active) {
    IfPresent<ui::Control>(ctx, "seTimeScreenSaverOn", [&](ui::Control& minutes) {
      minutes.SetEnabled(active.Checked());
      minutes.SetColor(active.Checked() ? ui::colour::Window : ui::colour::Silver);
    });
  });
}

void SetAutoClearCaption(Context& ctx) {
  IfPresent<ui::Control>(ctx, "lbDescriptionsAutoClear", [&](ui::Control& label) {
    label.SetText("(При загрузке компьютера будет автоматически\rочищаться каталог " +
                  GetTempDir(*ctx.platform.system) + " )");
  });
}

void DrawColourCursor(Context& ctx) {
  IfPresent<ui::Image>(ctx, "ImgCursorLoad", [&](ui::Image& image) {
    Picture cursor = LoadLibraryCursor(*ctx.platform.library, ctx.programDir, "SELECTCOLOR");
    if (!cursor.Empty()) image.Draw(std::move(cursor), 14, 10);
  });
}

void ShowCopyStatusHint(Context& ctx) {
  IfPresent<ui::Control>(ctx, "lbCopyStatus", [](ui::Control& label) {
    label.SetText("Здесь будет отображен результат !");
  });
}

void ClearIconRefreshPending(Context& ctx) { ctx.state.iconRefreshPending = false; }

void BroadcastSettingsChange(Context& ctx) {
  ctx.platform.desktop->Broadcast(wm::WinIniChange, 0, 0);
}

bool IconRefreshPending(const Context& ctx) { return ctx.state.iconRefreshPending; }

}  // namespace

Sequence LoadAllSteps() {
  return {
      {"LoadRepairSelector", LoadRepairSelector},
      {"LoadExplorerPage", LoadExplorerPage},
      {"SetFaultLogCaption", SetFaultLogCaption},
      {"LoadControlPanelPage", LoadControlPanelPage},
      {"LoadDeathScreenPage", LoadDeathScreenPage},
      {"LoadStartMenuPage", LoadStartMenuPage},
      {"LoadDesktopPage", LoadDesktopPage},
      {"ShowScreenSaverTimeState", ShowScreenSaverTimeState},
      {"LoadInternetPage", LoadInternetPage},
      {"LoadGeneralPage", LoadGeneralPage},
      {"LoadServicePage", LoadServicePage},
      {"LoadFolderProtection", LoadFolderProtection},
      {"SetAutoClearCaption", SetAutoClearCaption},
      {"LoadTempAutoClear", LoadTempAutoClear},
      {"LoadDesktopColour", LoadDesktopColour},
      {"CheckEdits", CheckEdits},
      {"DrawColourCursor", DrawColourCursor},
      {"ShowCopyStatusHint", ShowCopyStatusHint},
      {"ClearIconRefreshPending", ClearIconRefreshPending},
  };
}

Sequence ApplyAllSteps() {
  return {
      {"ApplyStartMenuPage", ApplyStartMenuPage},
      {"ApplyDesktopPage", ApplyDesktopPage},
      {"ApplyControlPanelPage", ApplyControlPanelPage},
      {"ApplyExplorerPage", ApplyExplorerPage},
      {"ApplyGeneralPage", ApplyGeneralPage},
      {"ApplyInternetPage", ApplyInternetPage},
      {"ApplyServicePage", ApplyServicePage},
      {"ApplyDeathScreenPage", ApplyDeathScreenPage},
      {"ApplyFolderProtection", ApplyFolderProtection},
      {"ApplyTempAutoClear", ApplyTempAutoClear},
      {"ApplyDesktopColour", ApplyDesktopColour},
      {"BroadcastSettingsChange", BroadcastSettingsChange},
      {"RefreshShellIcons", RefreshShellIcons, IconRefreshPending},
  };
}

void RunSequence(Context& ctx, const Sequence& steps) {
  for (const Step& step : steps) {
    if (!step.when || step.when(ctx)) step.run(ctx);
  }
}

void LoadAllPages(Context& ctx) { RunSequence(ctx, ctx.loadAll); }

void ApplyAllPages(Context& ctx) { RunSequence(ctx, ctx.applyAll); }

}  // namespace vlx
