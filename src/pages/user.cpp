#include "pages/user.h"

#include "platform/dialogs.h"
#include "platform/processes.h"
#include "platform/shell_files.h"
#include "store/folders.h"
#include "store/store_routine.h"

namespace vlx {

namespace {

using ui::Kind;

const char* const kVersionKey = "\\Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kFaultKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Fault";

ui::ControlSpec Text(Kind kind, std::string_view name, std::string_view parent, ui::Rect bounds,
                     std::string_view caption, int help = 0) {
  return {.kind = kind, .name = name, .parent = parent, .bounds = bounds, .caption = caption,
          .help = help};
}

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      Text(Kind::GroupBox, "gbCurrentUser", "TabSheet7", {8, 4, 321, 112},
           "Регистрационная информация:"),
      Text(Kind::Label, "lbUserName", "gbCurrentUser", {12, 20, 150, 13}, "Имя пользователя:"),
      Text(Kind::Edit, "edtCurrentUser", "gbCurrentUser", {12, 36, 297, 21}, "", 47),
      Text(Kind::Label, "lbCompanyName", "gbCurrentUser", {12, 62, 150, 13}, "Название компании:"),
      Text(Kind::Edit, "edtCurrentOrganisation", "gbCurrentUser", {12, 78, 297, 21}, "", 48),
      Text(Kind::GroupBox, "gbSystems", "TabSheet7", {8, 120, 321, 80}, "Система:"),
      Text(Kind::CheckBox, "cbErrorFileYes", "gbSystems", {12, 22, 260, 17}, "", 49),
      Text(Kind::SpeedButton, "spbtnErrorFileRun", "gbSystems", {284, 18, 25, 25}, ""),
      Text(Kind::Label, "DescrtErrorsLog", "gbSystems", {12, 46, 297, 26},
           "(Операционная система Windows сама будет вести \r\nжурнал ошибок, сбоев системы.)"),
      Text(Kind::Label, "lbCommandLineDescription", "TabSheet7", {12, 206, 317, 39},
           "Данная коммандная строка позволяет запустить любую \r\nпрограмму даже, когда реестр "
           "Windows поврежден и ни \r\nодну из программ невозможно запустить."),
      Text(Kind::GroupBox, "gbCommandLine", "TabSheet7", {8, 250, 321, 80}, "Командная строка:"),
      Text(Kind::Edit, "edtCommandLine", "gbCommandLine", {12, 20, 297, 21}, "", 50),
      Text(Kind::Button, "SeletTuOpen", "gbCommandLine", {12, 48, 90, 25}, "&Обзор...", 51),
      {.kind = Kind::Button, .name = "btnRunCommandLine", .parent = "gbCommandLine",
       .bounds = {219, 48, 90, 25}, .caption = "Выполнить", .help = 52, .enabled = false},
  };
  return specs;
}

std::string FaultLogFile(Context& context) {
  return GetWindowsDir(*context.platform.system) + "\\FAULTLOG.TXT";
}

void LoadRegistration(Context& context) {
  auto& user = context.Get("edtCurrentUser");
  auto& organisation = context.Get("edtCurrentOrganisation");
  RunRegistryRule(
      *context.platform.registry, regroot::LocalMachine,
      [&](RegStore& store) {
        if (!store.OpenPath(kVersionKey, false)) return;
        if (store.HasValue("RegisteredOwner")) user.SetText(store.ReadText("RegisteredOwner"));
        if (store.HasValue("RegisteredOrganization"))
          organisation.SetText(store.ReadText("RegisteredOrganization"));
      },
      [&] {
        user.SetText("Ошибка при чтении");
        organisation.SetText("Ошибка при чтении");
      });
}

void ApplyRegistration(Context& context) {
  const std::string user = context.Get("edtCurrentUser").Text();
  const std::string organisation = context.Get("edtCurrentOrganisation").Text();
  RunRegistryRule(*context.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    if (!store.OpenPath(kVersionKey, true)) return;
    store.WriteText("RegisteredOwner", user);
    store.WriteText("RegisteredOrganization", organisation);
  });
}

void LoadFaultLog(Context& context) {
  auto& box = context.Get<ui::CheckBox>("cbErrorFileYes");
  const auto off = [&] {
    box.SetChecked(false);
    context.Get("spbtnErrorFileRun").SetVisible(false);
  };
  RunRegistryRule(
      *context.platform.registry, regroot::LocalMachine,
      [&](RegStore& store) {
        if (store.OpenPath(kFaultKey, false) && store.HasValue("LogFile")) {
          box.SetChecked(true);
          return;
        }
        off();
      },
      off);
}

void ApplyFaultLog(Context& context) {
  const bool checked = context.Get<ui::CheckBox>("cbErrorFileYes").Checked();
  const std::string file = FaultLogFile(context);
  RunRegistryRule(*context.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    if (checked) {
      if (store.OpenPath(kFaultKey, true)) store.WriteText("LogFile", file);
      return;
    }
    if (store.HasKey(kFaultKey)) store.RemoveKeyTree(kFaultKey);
  });
}

}  // namespace

std::span<const ui::ControlSpec> UserPageControls() { return Controls(); }

void BindUserPage(Context& context) {
  context.Get("cbErrorFileYes").onClick = [&context] { cbErrorFileYesClick(context); };
  context.Get("spbtnErrorFileRun").onClick = [&context] { spbtnErrorFileRunClick(context); };
  context.Get("edtCommandLine").onChange = [&context] { edtCommandLineChange(context); };
  context.Get("edtCommandLine").onKeyPress = [&context](char& key) {
    edtCommandLineKeyPress(context, key);
  };
  context.Get("btnRunCommandLine").onClick = [&context] { btnRunCommandLineClick(context); };
  context.Get("SeletTuOpen").onClick = [&context] { SeletTuOpenClick(context); };
}

void LoadUserPage(Context& context) {
  LoadRegistration(context);
  LoadFaultLog(context);
}

void ApplyUserPage(Context& context) {
  ApplyRegistration(context);
  ApplyFaultLog(context);
}

void cbErrorFileYesClick(Context& context) {
  context.Get("spbtnErrorFileRun")
      .SetVisible(context.Get<ui::CheckBox>("cbErrorFileYes").Checked());
}

void spbtnErrorFileRunClick(Context& context) {
  constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
  const auto result = context.platform.shellFiles->Execute(
      "open", "FAULTLOG.TXT", "", GetWindowsDir(*context.platform.system), kShowNormal);
  if (result < 32)
    context.platform.dialogs->ShowMessage("Volnerix", "Не удается найти файл \"FAULTLOG.TXT\" !",
                                          mb::Ok | mb::IconInformation | mb::TaskModal);
}

void edtCommandLineChange(Context& context) {
  context.Get("btnRunCommandLine").SetEnabled(!context.Get("edtCommandLine").Text().empty());
}

void edtCommandLineKeyPress(Context& context, char& key) {
  if (key == '\r' && !context.Get("edtCommandLine").Text().empty()) btnRunCommandLineClick(context);
}

void btnRunCommandLineClick(Context& context) {
  const std::string commandLine = context.Get("edtCommandLine").Text();
  if (context.platform.processes->Start(commandLine)) return;
  context.platform.dialogs->ShowMessage(
      "Volnerix",
      "Не удается найти файл \"" + commandLine +
          "\" (или один из его компонентов).\r\rПроверьте правильность указания имени файла и "
          "пути, а также наличие всех необходимых библиотек.",
      mb::Ok | mb::IconQuestion | mb::TaskModal);
}

void SeletTuOpenClick(Context& context) {
  OpenFileRequest request;
  request.filter = "Выполняемые (*.exe; *.com)|*.exe; *.com|Все файлы (*.*)|*.*";
  request.options = ofn::HideReadOnly | ofn::PathMustExist | ofn::FileMustExist;
  std::string path;
  if (context.platform.dialogs->PickFile(request, path)) context.Get("edtCommandLine").SetText(path);
}

}  // namespace vlx
