#include "tools/filekill_page.h"

#include "app/context.h"
#include "platform/dialogs.h"
#include "tools/filekill.h"
#include "ui/form.h"

namespace vlx {

namespace filekill {
const char* const kFileFilter =
    "Выполняемые (*.exe; *.com)|*.exe; *.com|"
    "Библиотеки динамической связи (*.dll)|*.dll|"
    "Файлы Active X (*.ocx; *.tlb)|*.ocx; *.tlb|"
    "Кодеры (*.acm; *.ax)|*.acm; *.ax|"
    "Драйвера (*.sys; *.drv; *.tsp)|*.sys; *.drv; *.tsp|"
    "Файлы Панели управления (*.cpl)|*.cpl|"
    "Все файлы (*.*)|*.*";
}  // namespace filekill

namespace {

using ui::Kind;

const ui::Font kRedFont{.name = "Tahoma", .height = 11, .color = 0x000000FFu};
constexpr const char* kNoDestinationSize = "lbDSize";

const ui::ControlSpec kFileKillerPage[] = {
    {.kind = Kind::Label,
     .name = "lbDescriptionFileKiller",
     .parent = "TabSheet14",
     .bounds = {8, 8, 321, 65},
     .caption = "Здесь Вы можете удалить или заменить любые файлы, \r\n"
                "которые используются системой, другим приложением. \r\n"
                "Если файл используется, определенное Вами действие \r\n"
                "будет произведено после перезагрузки компьютера, \r\n"
                "если нет - действие будет произведено немедленно."},
    {.kind = Kind::GroupBox,
     .name = "gbFileKiller",
     .parent = "TabSheet14",
     .bounds = {8, 78, 321, 165},
     .caption = "Удаление/Замена используемых системой файлов:"},
    {.kind = Kind::Label, .name = "lbSource", .parent = "gbFileKiller", .bounds = {12, 20, 90, 13},
     .caption = "Исходный файл:"},
    {.kind = Kind::Edit, .name = "edtSourceFile", .parent = "gbFileKiller",
     .bounds = {12, 36, 217, 21}, .tabOrder = 0},
    {.kind = Kind::Button, .name = "btnBrowseSourceFile", .parent = "gbFileKiller",
     .bounds = {236, 34, 75, 25}, .caption = "Обзор...", .tabOrder = 1},
    {.kind = Kind::RadioButton, .name = "rbDeleteSourceFile", .parent = "gbFileKiller",
     .bounds = {12, 66, 190, 17}, .caption = "Удалить исходный файл", .checked = true,
     .tabOrder = 2},
    {.kind = Kind::CheckBox, .name = "cbBackUpFile", .parent = "gbFileKiller",
     .bounds = {208, 66, 105, 17}, .caption = "Создать копию", .checked = true, .tabOrder = 3},
    {.kind = Kind::RadioButton, .name = "rbReplaceFile", .parent = "gbFileKiller",
     .bounds = {12, 88, 250, 17}, .caption = "Заменить исходный файл назначенным", .tabOrder = 4},
    {.kind = Kind::Label, .name = "lbDestination", .parent = "gbFileKiller",
     .bounds = {12, 114, 110, 13}, .caption = "Назначенный файл:"},
    {.kind = Kind::Edit, .name = "edtDestinationFile", .parent = "gbFileKiller",
     .bounds = {12, 130, 217, 21}, .enabled = false, .color = ui::colour::Silver, .tabOrder = 5},
    {.kind = Kind::Button, .name = "btnBrowseDestinationFile", .parent = "gbFileKiller",
     .bounds = {236, 128, 75, 25}, .caption = "Обзор...", .enabled = false, .tabOrder = 6},

    {.kind = Kind::GroupBox, .name = "gbAction", .parent = "TabSheet14",
     .bounds = {8, 246, 321, 80}, .caption = "Выполнение:"},
    {.kind = Kind::Image, .name = "ImgSource", .parent = "gbAction", .bounds = {20, 24, 32, 32},
     .enabled = false, .transparent = true},
    {.kind = Kind::Image, .name = "ImgDestination", .parent = "gbAction",
     .bounds = {84, 24, 32, 32}, .enabled = false, .transparent = true},
    {.kind = Kind::Label, .name = "lbSSize", .parent = "gbAction", .bounds = {12, 62, 60, 13},
     .caption = "lbSSize", .visible = false},
    {.kind = Kind::Label, .name = "lbDSize", .parent = "gbAction", .bounds = {76, 62, 60, 13},
     .caption = kNoDestinationSize, .visible = false},
    {.kind = Kind::Button, .name = "btnKillFile", .parent = "gbAction", .bounds = {216, 40, 89, 25},
     .caption = "Удалить !", .enabled = false, .font = kRedFont, .tabOrder = 0},
    {.kind = Kind::Button, .name = "btnReplaceFile", .parent = "gbAction",
     .bounds = {216, 40, 89, 25}, .caption = "Заменить !", .enabled = false, .visible = false,
     .font = kRedFont, .tabOrder = 1},
};

constexpr const char* kBackupMade = "\rРезервная копия создана !";

void Notify(Context& ctx, const std::string& text) {
  ctx.platform.dialogs->ShowMessage("Volnerix", text,
                                    mb::Ok | mb::IconInformation | mb::TaskModal);
}

bool BackupWanted(Context& ctx) { return ctx.Get<ui::CheckBox>("cbBackUpFile").Checked(); }

// Whether the path names a file (not a folder, not nothing).
bool NamesFile(Context& ctx, const std::string& path) {
  const std::uint32_t attributes = ctx.platform.files->GetAttributes(path);
  return attributes != fileattr::Invalid && (attributes & fileattr::Directory) == 0;
}

// Copies the source to its backup path when the box asks for it. A backup that cannot be made
// stops the operation, so no file is deleted or overwritten without the copy the user asked for;
// with no source file there is nothing to copy, and the operation reports its own failure.
bool MakeBackupIfWanted(Context& ctx, const std::string& source) {
  if (!BackupWanted(ctx) || !NamesFile(ctx, source)) return true;
  if (ctx.platform.fileOps->Copy(source, filekill::BackupPath(source), false)) return true;
  Notify(ctx, "Невозможно создать резервную копию !\r\"" + filekill::BackupPath(source) +
                  "\"\rФайл оставлен без изменений.");
  return false;
}

// The question for a file in use; then the backup, the registration and, on Yes, the restart.
void ScheduleAtRestart(Context& ctx, const std::string& question, const std::string& source,
                       const filekill::RunOnceCommand& command) {
  const int answer = ctx.platform.dialogs->ShowMessage(
      "Volnerix", question, mb::YesNoCancel | mb::IconQuestion | mb::DefButton3 | mb::TaskModal);
  if (answer != idanswer::Yes && answer != idanswer::No) return;
  if (!MakeBackupIfWanted(ctx, source)) return;
  filekill::RegisterRunOnce(*ctx.platform.registry, command);
  if (answer != idanswer::Yes) return;
  ctx.frmMain.SetVisible(false);
  if (filekill::RestartComputer(*ctx.platform.processes, ewx::Reboot)) return;
  // The request was refused: the window comes back and says so (a hidden window with no restart
  // would leave the user with nothing on screen); the command stays registered.
  ctx.frmMain.SetVisible(true);
  Notify(ctx, "Не удалось перезагрузить компьютер !\r"
              "Действие будет произведено при следующей загрузке Windows.");
}

// What a browse shows for a chosen file: its type's icon (with a hint) and its size.
void ShowChosenFile(Context& ctx, const char* image, const char* hint, const char* sizeLabel,
                    const std::string& path) {
  auto& picture = ctx.Get<ui::Image>(image);
  picture.SetEnabled(true);
  picture.SetVisible(true);
  picture.SetHint(hint);
  picture.SetPicture(filekill::GetFileTypeIcon(*ctx.platform.shellFiles, path, false));
  auto& size = ctx.Get(sizeLabel);
  size.SetVisible(true);
  size.SetText(filekill::SizeLabelText(filekill::GetFileSizeByName(*ctx.platform.fileOps, path)));
}

bool BrowseFile(Context& ctx, const char* title, const char* edit, std::string& path) {
  OpenFileRequest request;
  request.title = title;
  request.filter = filekill::kFileFilter;
  request.options = ofn::HideReadOnly | ofn::FileMustExist | ofn::PathMustExist;
  if (!ctx.platform.dialogs->PickFile(request, path)) return false;
  ctx.Get(edit).SetText(path);
  return true;
}

bool BothFilesNamed(Context& ctx) {
  return !ctx.Get("edtSourceFile").Text().empty() && !ctx.Get("edtDestinationFile").Text().empty();
}

void ShowProperties(Context& ctx, const char* edit) {
  filekill::ShowFileProperties(*ctx.platform.shellFiles, ctx.state.mainWindow,
                               ctx.Get(edit).Text());
}

}  // namespace

std::span<const ui::ControlSpec> FileKillerPageTable() { return kFileKillerPage; }

void BindFileKillerPage(Context& ctx) {
  ctx.Get("btnBrowseSourceFile").onClick = [&ctx] { BrowseSourceFile(ctx); };
  ctx.Get("btnBrowseDestinationFile").onClick = [&ctx] { BrowseDestinationFile(ctx); };
  ctx.Get("btnKillFile").onClick = [&ctx] { btnKillFileClick(ctx); };
  ctx.Get("btnReplaceFile").onClick = [&ctx] { btnReplaceFileClick(ctx); };
  ctx.Get("ImgSource").onClick = [&ctx] { ImgSourceClick(ctx); };
  ctx.Get("ImgDestination").onClick = [&ctx] { ImgDestinationClick(ctx); };
  ctx.Get("edtSourceFile").onChange = [&ctx] { edtSourceFileChange(ctx); };
  ctx.Get("edtDestinationFile").onChange = [&ctx] { edtDestinationFileChange(ctx); };
  ctx.Get("rbDeleteSourceFile").onClick = [&ctx] { rbDeleteSourceFileClick(ctx); };
  ctx.Get("rbReplaceFile").onClick = [&ctx] { rbReplaceFileClick(ctx); };
}

void BrowseSourceFile(Context& ctx) {
  std::string path;
  if (!BrowseFile(ctx, "Выбор исходного файла...", "edtSourceFile", path)) return;
  ShowChosenFile(ctx, "ImgSource", "Показать свойства исходного файла?", "lbSSize", path);
}

void BrowseDestinationFile(Context& ctx) {
  std::string path;
  if (!BrowseFile(ctx, "Выбор назначенного файла...", "edtDestinationFile", path)) return;
  ShowChosenFile(ctx, "ImgDestination", "Показать свойства назначенного файла?", "lbDSize", path);
}

void btnKillFileClick(Context& ctx) {
  const std::string source = ctx.Get("edtSourceFile").Text();
  if (filekill::FileInUse(ctx.platform, source)) {
    ScheduleDeleteAtRestart(ctx, source);
    return;
  }
  if (!MakeBackupIfWanted(ctx, source)) return;
  if (!ctx.platform.fileOps->Delete(source)) {
    Notify(ctx, "Ошибка удаления !\rВозможно, файл уже удален.");
    return;
  }
  Notify(ctx, std::string("Файл успешно удален !") + (BackupWanted(ctx) ? kBackupMade : ""));
  ctx.Get("edtSourceFile").SetText("");
  ctx.Get("lbSSize").SetText("");
  ctx.Get("lbDSize").SetText("");
  ctx.Get("ImgSource").SetVisible(false);
  ctx.Get("btnKillFile").SetEnabled(false);
}

void btnReplaceFileClick(Context& ctx) {
  const std::string source = ctx.Get("edtSourceFile").Text();
  const std::string destination = ctx.Get("edtDestinationFile").Text();
  if (filekill::FileInUse(ctx.platform, source)) {
    ScheduleReplaceAtRestart(ctx, source, destination);
    return;
  }
  if (!MakeBackupIfWanted(ctx, source)) return;
  // With no source file there is nothing to replace.
  if (!NamesFile(ctx, source) || !ctx.platform.fileOps->Copy(destination, source, false)) {
    Notify(ctx, "Ошибка замены !\r\rВозможно, не определен исходный файл, имя исходного и\r"
                "назначенного файла совпадают или замена уже произведена.");
    return;
  }
  const bool backup = BackupWanted(ctx);
  Notify(ctx, std::string("Исходный файл успешно заменен назначенным !") +
                  (backup ? kBackupMade : ""));
  if (backup) {
    ctx.Get("lbSSize").SetText("");
    ctx.Get("lbDSize").SetText("");
  }
  ShellFiles& shell = *ctx.platform.shellFiles;
  ctx.Get<ui::Image>("ImgSource").SetPicture(shell.AssociatedIcon(source));
  ctx.Get<ui::Image>("ImgDestination").SetPicture(shell.AssociatedIcon(destination));
  ctx.Get("btnReplaceFile").SetEnabled(false);
}

void ScheduleDeleteAtRestart(Context& ctx, const std::string& source) {
  const auto command = filekill::DeleteCommand(*ctx.platform.fileOps, source);
  ScheduleAtRestart(ctx,
                    "Вы действительно хотите удалить исходный файл\r\"" + source +
                        "\" ?\rИсходный файл используеться системой и может быть удален только "
                        "после перезагрузки компьютера.\r\rПерезагрузить компьютер немедленно ? ",
                    source, command);
}

void ScheduleReplaceAtRestart(Context& ctx, const std::string& source,
                              const std::string& destination) {
  const auto command = filekill::ReplaceCommand(*ctx.platform.fileOps, source, destination);
  ScheduleAtRestart(ctx,
                    "Вы действительно хотите заменить исходный файл\r\"" + source +
                        "\"\rназначенным файлом\r\"" + destination +
                        "\" ?\rИсходный файл используется системой и может быть заменен "
                        "назначенным только после перезагрузки компьютера.\r\r"
                        "Перезагрузить компьютер немедленно ? ",
                    source, command);
}

void edtSourceFileChange(Context& ctx) {
  edtDestinationFileChange(ctx);
  ctx.Get("btnKillFile").SetEnabled(true);
}

void edtDestinationFileChange(Context& ctx) {
  if (!BothFilesNamed(ctx)) return;
  ctx.Get("btnReplaceFile").SetEnabled(true);
  ctx.Get("btnReplaceFile").SetVisible(true);
}

void rbDeleteSourceFileClick(Context& ctx) {
  ctx.Get("lbDSize").SetVisible(false);
  ctx.Get("ImgDestination").SetVisible(false);
  auto& destination = ctx.Get("edtDestinationFile");
  destination.SetEnabled(false);
  destination.SetColor(ui::colour::Silver);
  ctx.Get("btnBrowseDestinationFile").SetEnabled(false);
  ctx.Get("btnKillFile").SetVisible(true);
  ctx.Get("btnReplaceFile").SetVisible(false);
}

void rbReplaceFileClick(Context& ctx) {
  auto& size = ctx.Get("lbDSize");
  size.SetVisible(size.Text() != kNoDestinationSize);
  ctx.Get("ImgDestination").SetVisible(true);
  auto& destination = ctx.Get("edtDestinationFile");
  destination.SetEnabled(true);
  destination.SetColor(ui::colour::Window);
  ctx.Get("btnBrowseDestinationFile").SetEnabled(true);
  ctx.Get("btnKillFile").SetVisible(false);
  ctx.Get("btnReplaceFile").SetVisible(true);
}

void ImgSourceClick(Context& ctx) { ShowProperties(ctx, "edtSourceFile"); }
void ImgDestinationClick(Context& ctx) { ShowProperties(ctx, "edtDestinationFile"); }

}  // namespace vlx
