#include "pages/internet.h"

#include "rules/form_controls.h"
#include "store/store_routine.h"

namespace vlx {

namespace {

using ui::Kind;

const char* const kMainKey = "\\SOFTWARE\\Microsoft\\Internet Explorer\\Main";
const char* const kTitleValue = "Window title";

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      {.kind = Kind::GroupBox, .name = "gbInetWindow", .parent = "TabSheet11",
       .bounds = {8, 8, 321, 97}, .caption = "Изменение заголовка окна:"},
      {.kind = Kind::Label, .name = "lbWindowIEText", .parent = "gbInetWindow",
       .bounds = {12, 22, 90, 13}, .caption = "Название окна:"},
      {.kind = Kind::Edit, .name = "edtInetWindowTitle", .parent = "gbInetWindow",
       .bounds = {12, 40, 297, 21}, .help = 23},
      {.kind = Kind::CheckBox, .name = "cbIETextDefault", .parent = "gbInetWindow",
       .bounds = {12, 70, 150, 17}, .caption = "По умолчанию", .help = 24},
      {.kind = Kind::GroupBox, .name = "gbInetOptions", .parent = "TabSheet11",
       .bounds = {8, 112, 321, 72}, .caption = "Разное:"},
      {.kind = Kind::CheckBox, .name = "cbInternetExplorer1", .parent = "gbInetOptions",
       .bounds = {12, 22, 297, 17}, .caption = "Сохранение веб-страниц полностью", .help = 25},
      {.kind = Kind::CheckBox, .name = "cbContextMenuIE", .parent = "gbInetOptions",
       .bounds = {12, 46, 297, 17}, .caption = "Контекстное меню \"Internet Explorer\"",
       .help = 26},
  };
  return specs;
}

ui::Control& TitleEdit(Context& context) { return context.Get<ui::Edit>("edtInetWindowTitle"); }

}  // namespace

std::span<const ui::ControlSpec> InternetPageControls() { return Controls(); }

const std::vector<TweakRule>& InternetRules() {
  static const std::vector<TweakRule> rules = {
      Rule({"cbInternetExplorer1"}, regroot::CurrentUser,
           "\\SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions",
           "NoBrowserSaveWebComplete", PolicyFlag{}),
      Rule({"cbContextMenuIE"}, regroot::CurrentUser,
           "\\SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Restrictions",
           "NoBrowserContextMenu", PolicyFlag{}),
  };
  return rules;
}

void BindInternetPage(Context& context) {
  context.Get("cbIETextDefault").onClick = [&context] { cbIETextDefaultClick(context); };
}

void LoadInternetPage(Context& context) {
  LoadFormRules(context.frmMain, context.platform, InternetRules());
  LoadWindowTitle(context);
}

void ApplyInternetPage(Context& context) {
  ApplyFormRules(context.frmMain, context.platform, InternetRules());
  ApplyWindowTitle(context);
}

void LoadWindowTitle(Context& context) {
  auto& edit = TitleEdit(context);
  const auto useDefault = [&] {
    edit.SetText(kDefaultBrowserTitle);
    edit.SetEnabled(false);
    context.Get<ui::CheckBox>("cbIETextDefault").SetChecked(true);
  };
  RunRegistryRule(
      *context.platform.registry, regroot::LocalMachine,
      [&](RegStore& store) {
        if (!store.OpenPath(kMainKey, false) || !store.HasValue(kTitleValue)) return useDefault();
        edit.SetText(store.ReadText(kTitleValue));
      },
      useDefault);
}

void ApplyWindowTitle(Context& context) {
  const std::string title = TitleEdit(context).Text();
  RunRegistryRule(*context.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    if (title.empty() || title == kDefaultBrowserTitle) {
      if (store.OpenPath(kMainKey, false) && store.HasValue(kTitleValue))
        store.RemoveValue(kTitleValue);
      return;
    }
    if (store.OpenPath(kMainKey, true)) store.WriteText(kTitleValue, title);
  });
}

void cbIETextDefaultClick(Context& context) {
  auto& edit = TitleEdit(context);
  if (context.Get<ui::CheckBox>("cbIETextDefault").Checked()) {
    edit.SetText(kDefaultBrowserTitle);
    edit.SetEnabled(false);
    edit.SetColor(ui::colour::Silver);
    return;
  }
  edit.SetEnabled(true);
  edit.SetColor(ui::colour::Window);
  RunRegistryRule(*context.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    const bool open = store.OpenPath(kMainKey, false);
    edit.SetText(open && store.HasValue(kTitleValue) ? store.ReadText(kTitleValue)
                                             : std::string(kDefaultBrowserTitle));
  });
}

}  // namespace vlx
