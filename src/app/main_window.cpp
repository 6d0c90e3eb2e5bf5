#include "app/main_window.h"

#include "app/cycles.h"
#include "app/error_box.h"
#include "app/main_form.h"
#include "app/page_switch.h"
#include "app/page_tables.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "tools/tool_pages.h"

namespace vlx {

std::string MissingLibraryText(const std::string& file) {
  return "Файл \"" + file +
         "\" не найден в каталоге с программой !\r\r"
         "Работа программы будет прервана без согласия пользователя.\r"
         "Для устранения неполадки переустановите \"Volnerix\"\r"
         "или достаньте из дистрибутива файл \"" +
         file +
         "\" и поместите в\r"
         "каталог с программой.";
}

namespace {

void BindMainWindow(Context& ctx) {
  ctx.Get("btnSave").onClick = [&ctx] { btnSaveClick(ctx); };
  ctx.Get("btnSaveAndClose").onClick = [&ctx] { btnSaveAndCloseClick(ctx); };
  ctx.Get("btnClose").onClick = [&ctx] { btnCloseClick(ctx); };
  ctx.Get("pgSelectedPage").onChange = [&ctx] { pgSelectedPageChange(ctx); };
}

}  // namespace

bool StartProgram(Context& ctx) {
  Desktop& desktop = *ctx.platform.desktop;
  if (!desktop.CreateInstanceMutex(kInstanceName)) {
    desktop.Broadcast(desktop.RegisterMessage(kInstanceName), 0, 0);
    return false;
  }
  ctx.state.title = "Volnerix";
  ctx.state.helpFile = ctx.ProgramFile("volnrx.hlp");
  BuildForms(ctx);
  BindMainWindow(ctx);
  BindToolPages(ctx);
  BindSettingsPages(ctx);
  BindSystemToolPages(ctx);
  FormCreate(ctx);
  return true;
}

void ShowMainWindow(Context& ctx) {
  ctx.frmMain.SetShowing(true);
  RunEvent(ctx, [&] { FormShow(ctx); });
  RunEvent(ctx, [&] { FormActivate(ctx); });
}

void FormCreate(Context& ctx) {
  ctx.state.instanceMessage = ctx.platform.desktop->RegisterMessage(kInstanceName);
  // The program's own cursor, from the file it runs from.
  ctx.state.cursorSlot10 = ctx.platform.library->LoadCursorPicture(ctx.ModuleFile(), "PROPERTY");
  for (const char* name : {"ImgSource", "ImgDestination"}) {
    if (auto* image = dynamic_cast<ui::Image*>(ctx.frmMain.Find(name))) {
      image->cursor = ctx.state.cursorSlot10;
    }
  }
}

void FormShow(Context& ctx) { LoadAllPages(ctx); }

void FormActivate(Context& ctx) {
  if (ctx.state.activated) return;
  ctx.state.activated = true;
  // The second check runs even when the first has closed the window.
  for (const char* file : {"vlximg.dll", "vxeject.dll"}) {
    if (ctx.platform.files->Exists(ctx.ProgramFile(file))) continue;
    const int answer = ctx.platform.dialogs->ShowMessage(
        ctx.state.title, MissingLibraryText(file), mb::Ok | mb::IconInformation | mb::TaskModal);
    if (answer == idanswer::Ok) CloseMainWindow(ctx);
  }
}

void FormDestroy(Context& ctx) {
  for (const char* name : {"clbExplorerSetting", "clbStartmainServis"}) {
    if (auto* list = dynamic_cast<ui::ListControl*>(ctx.frmMain.Find(name))) list->Clear();
  }
}

void btnSaveClick(Context& ctx) {
  ApplyAllPages(ctx);
  ctx.state.iconRefreshPending = false;
}

void btnSaveAndCloseClick(Context& ctx) {
  ApplyAllPages(ctx);
  ctx.state.iconRefreshPending = false;
  CloseMainWindow(ctx);
}

void btnCloseClick(Context& ctx) { CloseMainWindow(ctx); }

void CloseMainWindow(Context& ctx) {
  if (!ctx.frmMain.Showing()) return;
  ctx.frmMain.SetShowing(false);
  FormDestroy(ctx);
}

bool MainWindowClosed(const Context& ctx) { return !ctx.frmMain.Showing(); }

bool HandleInstanceMessage(Context& ctx, std::uint32_t message) {
  if (ctx.state.instanceMessage == 0 || message != ctx.state.instanceMessage) return false;
  ctx.platform.desktop->RestoreAndActivate();
  return true;
}

}  // namespace vlx
