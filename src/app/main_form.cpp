#include "app/main_form.h"

#include "app/context.h"
#include "app/help_numbers.h"
#include "app/page_tables.h"

#include <iterator>

namespace vlx {

namespace {

using ui::Kind;

const ui::Font kFormFont{.name = "Tahoma", .height = 11};
const ui::Font kTitleFont{.name = "Tahoma", .height = 15, .bold = true};

// The pages in tab order: TabSheet1 ... TabSheet17.
constexpr const char* kPageCaptions[page::Count] = {
    "Установка/Удаление", "Процесс",     "\"Экран смерти\"",  "Меню \"Пуск\"",
    "Рабочий стол",       "Панель управления", "Пользователь", "Ремонт",
    "Общие",              "Проводник",   "Internet Explorer", "Сервис",
    "О программе...",     "File Killer", "Цвет",            "Информация",
    "Значки",
};
constexpr const char* kSheetNames[page::Count] = {
    "TabSheet1",  "TabSheet2",  "TabSheet3",  "TabSheet4",  "TabSheet5",  "TabSheet6",
    "TabSheet7",  "TabSheet8",  "TabSheet9",  "TabSheet10", "TabSheet11", "TabSheet12",
    "TabSheet13", "TabSheet14", "TabSheet15", "TabSheet16", "TabSheet17",
};

// Everything on the window after the tab control and its sheets.
const ui::ControlSpec kMainForm[] = {
    // Left to right OK, Отмена, Применить; Tab visits them the other way round. Enter presses
    // OK, Escape Отмена.
    {.kind = Kind::Button,
     .name = "btnSaveAndClose",
     .bounds = {120, 440, 75, 25},
     .caption = "OK",
     .tabOrder = 3,
     .isDefault = true},
    {.kind = Kind::Button,
     .name = "btnClose",
     .bounds = {199, 440, 75, 25},
     .caption = "Отмена",
     .tabOrder = 2,
     .cancel = true},
    {.kind = Kind::Button,
     .name = "btnSave",
     .bounds = {278, 440, 75, 25},
     .caption = "Применить",
     .tabOrder = 1},

    // The About page.
    {.kind = Kind::Image,
     .name = "ImgAbout",
     .parent = "TabSheet13",
     .bounds = {16, 8, 295, 326},
     .transparent = true,
     .stretch = true},
    {.kind = Kind::Label,
     .name = "lbCaptionProgramm",
     .parent = "TabSheet13",
     .bounds = {56, 40, 101, 18},
     .caption = "Volnerix v1.2",
     .transparent = true,
     .font = kTitleFont},
    {.kind = Kind::Label,
     .name = "lbDescriptionProgramm",
     .parent = "TabSheet13",
     .bounds = {56, 64, 160, 13},
     .caption = "\"Тонкая\" настройка системы...",
     .transparent = true},
    {.kind = Kind::Label,
     .name = "lbFullDescriptionProgramm",
     .parent = "TabSheet13",
     .bounds = {56, 88, 210, 117},
     .caption = "С помощью \"Volnerix\" Вы \r\nсможете настроить систему, ограничить \r\n"
                "или включить некоторые функции, \r\nвосстановить поврежденные элементы, \r\n"
                "узнать системную информацию. Кроме \r\nэтого, \"Volnerix\" позволяет \r\n"
                "выгрузить \"зависший\" процесс или окно, \r\nудалить или заменить "
                "используемый \r\nсистемой, другим приложением файл.",
     .transparent = true},
    {.kind = Kind::Label,
     .name = "lbCopiryght",
     .parent = "TabSheet13",
     .bounds = {56, 216, 200, 26},
     .caption = "© Авторы Volnerix.\r\nВсе права защищены.",
     .transparent = true},

    // Popup menus the tool pages fill.
    {.kind = Kind::PopupMenu, .name = "pmUninstall"},
    {.kind = Kind::PopupMenu, .name = "pmKillProcess"},
    {.kind = Kind::PopupMenu, .name = "pmCloseWindows"},
};

}  // namespace

std::vector<ui::ControlSpec> MainFormTable() {
  std::vector<ui::ControlSpec> table;
  table.push_back({.kind = Kind::TabControl, .name = "pgSelectedPage",
                   .bounds = {8, 8, 345, 425}, .tabOrder = 0});
  for (int i = 0; i < page::Count; ++i) {
    table.push_back({.kind = Kind::TabSheet, .name = kSheetNames[i], .parent = "pgSelectedPage",
                     .caption = kPageCaptions[i]});
  }
  table.insert(table.end(), std::begin(kMainForm), std::end(kMainForm));
  return table;
}

void BuildForms(Context& ctx) {
  ui::Form& main = ctx.frmMain;
  main.SetText("Volnerix");
  main.SetClientSize(361, 472);
  main.SetFont(kFormFont);
  main.Build(MainFormTable());
  for (auto table : MainPageTables()) main.Build(table);
  ApplyHelpNumbers(main);
  main.Get<ui::TabControl>("pgSelectedPage").SetActiveIndex(page::First - 1);

  ui::Form& change = ctx.frmChange;
  change.SetFont(kFormFont);
  for (auto table : ChangeFormTables()) change.Build(table);
}

}  // namespace vlx
