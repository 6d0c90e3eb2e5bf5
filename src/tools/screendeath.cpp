#include "tools/screendeath.h"

#include "app/context.h"
#include "store/folders.h"
#include "store/profile_file.h"
#include "ui/form.h"

namespace vlx {

namespace screendeath {

namespace {

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return r | (g << 8) | (b << 16);
}

constexpr std::uint32_t kColours[kColourCount] = {
    Rgb(0, 0, 0),     Rgb(0, 0, 255),     Rgb(0, 128, 0),     Rgb(0, 128, 128),   Rgb(255, 0, 0),
    Rgb(128, 0, 128), Rgb(164, 128, 115), Rgb(255, 255, 255), Rgb(128, 128, 128),
};

}  // namespace

std::uint32_t ColourOf(int index) { return kColours[index]; }

std::uint32_t ColourOrDefault(int index, int fallback) {
  return index >= 0 && index < kColourCount ? kColours[index] : kColours[fallback];
}

ItemDrawing DrawColourItem(int index, const std::string& text, const ui::Rect& item) {
  ItemDrawing drawing;
  drawing.fill = item;
  drawing.textX = 30;
  drawing.textY = item.top;
  drawing.text = text;
  // The swatch's right edge is the fixed x = 24.
  drawing.swatchLeft = item.left + 2;
  drawing.swatchTop = item.top + 2;
  drawing.swatchRight = 24;
  drawing.swatchBottom = item.top + 15;
  drawing.swatchColour = ColourOrDefault(index, 0);
  return drawing;
}

}  // namespace screendeath

namespace {

using ui::Kind;
using screendeath::kDefaultBack;
using screendeath::kDefaultText;

constexpr const char* kSection = "386Enh";
constexpr const char* kBackKey = "MessageBackColor";
constexpr const char* kTextKey = "MessageTextColor";

const std::vector<std::string_view> kColourItems = {
    "Ченый", "Синий",      "Зеленый", "Бирюзовый", "Красный",
    "Сиреневый", "Коричневый", "Белый",   "Серый",
};

const ui::ControlSpec kDeathScreenPage[] = {
    {.kind = Kind::GroupBox,
     .name = "gbScreenDeath",
     .parent = "TabSheet3",
     .bounds = {8, 8, 321, 153},
     .caption = "Фон и цвет текста \"Экрана смерти\""},
    {.kind = Kind::Panel, .name = "pDeathScreen", .parent = "gbScreenDeath",
     .bounds = {16, 24, 145, 105}, .color = screendeath::ColourOf(kDefaultBack)},
    {.kind = Kind::Label,
     .name = "lbDeathScreenText",
     .parent = "pDeathScreen",
     .bounds = {8, 8, 90, 18},
     .caption = "Неустранимая ошибка\r\nпо адресу...",
     .transparent = true,
     .font = ui::Font{.name = "Arial", .height = 9, .color = screendeath::ColourOf(kDefaultText)}},
    {.kind = Kind::Label, .name = "lbFone", .parent = "gbScreenDeath", .bounds = {176, 24, 57, 13},
     .caption = "Цвет фона:"},
    {.kind = Kind::ComboBox, .name = "cbBackgraundColor", .parent = "gbScreenDeath",
     .bounds = {176, 40, 129, 19}, .items = kColourItems, .ownerDraw = true,
     .color = ui::colour::Window},
    {.kind = Kind::Label, .name = "lbText", .parent = "gbScreenDeath", .bounds = {176, 72, 66, 13},
     .caption = "Цвет текста:"},
    {.kind = Kind::ComboBox, .name = "cbTextColor", .parent = "gbScreenDeath",
     .bounds = {176, 88, 129, 19}, .items = kColourItems, .ownerDraw = true,
     .color = ui::colour::Window,
     .font = ui::Font{.name = "Tahoma", .height = 11}},
    {.kind = Kind::CheckBox, .name = "cbScrDeathDefault", .parent = "gbScreenDeath",
     .bounds = {176, 120, 97, 17}, .caption = "По умолчанию"},
    {.kind = Kind::Label,
     .name = "lbScreenDeathDescription",
     .parent = "TabSheet3",
     .bounds = {2, 168, 335, 104},
     .caption = "При возникновении серьезной ошибки, обычно появляется \r\n"
                "предупреждение, что если вы нажмете Ctrl+Alt+Del система\r\n"
                "перезагрузится с потерей всех, не сохраненных данных, а \r\n"
                "если нажмете другую кнопку - зависнет (это \r\n"
                "подразумевается). Данное предупреждение и есть  \r\n"
                "\"Экран смерти\" - Blue Screen Of Death (BSOD). Оно \r\n"
                "выводиться обычно на синем фоне с белым текстом, но и \r\n"
                "это можно изменить..."},
};

// system.ini of the Windows folder, with the attribute steps every use of it takes: all
// attributes cleared before, archive alone after (each only when the file exists).
class SystemIni {
 public:
  explicit SystemIni(Platform& platform)
      : files_(*platform.files),
        file_(*platform.profile, GetWindowsDir(*platform.system) + "\\system.ini") {}

  ProfileFile& Open() {
    if (Exists()) files_.SetAttributes(file_.Path(), 0);
    return file_;
  }
  // Not run when a write has raised: the attributes then stay cleared.
  void Close() {
    if (Exists()) files_.SetAttributes(file_.Path(), fileattr::Archive);
  }

 private:
  bool Exists() {
    const std::uint32_t attributes = files_.GetAttributes(file_.Path());
    return attributes != fileattr::Invalid && !(attributes & fileattr::Directory);
  }
  Files& files_;
  ProfileFile file_;
};

ui::ComboBox& BackBox(Context& ctx) { return ctx.Get<ui::ComboBox>("cbBackgraundColor"); }
ui::ComboBox& TextBox(Context& ctx) { return ctx.Get<ui::ComboBox>("cbTextColor"); }

void ShowDefaultPair(Context& ctx) {
  BackBox(ctx).SetItemIndex(kDefaultBack);
  TextBox(ctx).SetItemIndex(kDefaultText);
  ShowDeathScreenBackground(ctx);
  ShowDeathScreenText(ctx);
}

// Each stored index read again with the box's current index as the default.
void ShowStoredPair(Context& ctx, ProfileFile& ini) {
  auto& back = BackBox(ctx);
  back.SetItemIndex(ini.ReadProfileNumber(kSection, kBackKey, back.ItemIndex()));
  ShowDeathScreenBackground(ctx);
  auto& text = TextBox(ctx);
  text.SetItemIndex(ini.ReadProfileNumber(kSection, kTextKey, text.ItemIndex()));
  ShowDeathScreenText(ctx);
}

bool NoColoursStored(ProfileFile& ini) {
  return ini.ReadProfileNumber(kSection, kBackKey, 0) == 0 &&
         ini.ReadProfileNumber(kSection, kTextKey, 0) == 0;
}

void WriteIndex(ProfileFile& ini, const char* key, const ui::ComboBox& box) {
  const int index = box.ItemIndex();
  if (index >= 0 && index < screendeath::kColourCount) ini.WriteProfileNumber(kSection, key, index);
}

}  // namespace

std::span<const ui::ControlSpec> DeathScreenPageTable() { return kDeathScreenPage; }

void BindDeathScreenPage(Context& ctx) {
  BackBox(ctx).onChange = [&ctx] { ShowDeathScreenBackground(ctx); };
  TextBox(ctx).onChange = [&ctx] { ShowDeathScreenText(ctx); };
  ctx.Get("cbScrDeathDefault").onClick = [&ctx] { UpdateDeathScreenDefault(ctx); };
}

void ShowDeathScreenBackground(Context& ctx) {
  ctx.Get("pDeathScreen").SetColor(screendeath::ColourOrDefault(BackBox(ctx).ItemIndex(), kDefaultBack));
}

void ShowDeathScreenText(Context& ctx) {
  ui::Control& label = ctx.Get("lbDeathScreenText");
  ui::Font font = label.EffectiveFont();
  font.color = screendeath::ColourOrDefault(TextBox(ctx).ItemIndex(), kDefaultText);
  label.SetFont(font);
}

void LoadDeathScreenPage(Context& ctx) {
  SystemIni systemIni(ctx.platform);
  ProfileFile& ini = systemIni.Open();
  auto& useDefault = ctx.Get<ui::CheckBox>("cbScrDeathDefault");
  if (NoColoursStored(ini)) {
    useDefault.SetChecked(true);
    BackBox(ctx).SetEnabled(false);
    TextBox(ctx).SetEnabled(false);
    ShowDefaultPair(ctx);
  } else {
    useDefault.SetChecked(false);
    ShowStoredPair(ctx, ini);
  }
  systemIni.Close();
}

void UpdateDeathScreenDefault(Context& ctx) {
  const bool useDefault = ctx.Get<ui::CheckBox>("cbScrDeathDefault").Checked();
  SystemIni systemIni(ctx.platform);
  for (ui::ComboBox* box : {&BackBox(ctx), &TextBox(ctx)}) {
    box->SetColor(useDefault ? ui::colour::Silver : ui::colour::Window);
    box->SetEnabled(!useDefault);
  }
  if (useDefault) {
    ShowDefaultPair(ctx);
  } else {
    ProfileFile& ini = systemIni.Open();
    if (NoColoursStored(ini)) {
      ShowDefaultPair(ctx);
    } else {
      ShowStoredPair(ctx, ini);
    }
  }
  systemIni.Close();
}

void ApplyDeathScreenPage(Context& ctx) {
  if (ctx.Get<ui::CheckBox>("cbScrDeathDefault").Checked()) {
    RestoreDeathScreenDefaults(ctx);
  } else {
    WriteDeathScreenColours(ctx);
  }
}

void WriteDeathScreenColours(Context& ctx) {
  SystemIni systemIni(ctx.platform);
  ProfileFile& ini = systemIni.Open();
  WriteIndex(ini, kBackKey, BackBox(ctx));
  WriteIndex(ini, kTextKey, TextBox(ctx));
  systemIni.Close();
}

void RestoreDeathScreenDefaults(Context& ctx) {
  SystemIni systemIni(ctx.platform);
  ProfileFile& ini = systemIni.Open();
  for (const char* key : {kBackKey, kTextKey}) {
    // A key holding 0 stays; one that holds no number is no default either and goes.
    const std::string value = ini.ReadProfileText(kSection, key, "");
    if (!value.empty() && ParseProfileNumber(value, 1) != 0) ini.RemoveProfileKey(kSection, key);
  }
  systemIni.Close();
}

}  // namespace vlx
